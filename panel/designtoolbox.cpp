#include "panel/designtoolbox.h"

#include "panel/multiselectcombobox.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSlider>
#include <QStyle>
#include <QTimer>

using brixo::ComponentKind;

namespace {
QString text(const char* source) { return QCoreApplication::translate("MainWindow", source); }
int iconLoads = 0;
} // namespace

QIcon DesignToolbox::listIcon(const QString& path)
{
    static QHash<QString, QIcon> icons;
    auto found = icons.constFind(path);
    if (found != icons.constEnd())
        return *found;
    ++iconLoads;
    return *icons.insert(path, QIcon(QPixmap(path)));
}

int DesignToolbox::listIconLoads() { return iconLoads; }

void DesignToolbox::fitWidth()
{
    QWidget* content = widget();
    if (!content)
        return;
    content->layout()->invalidate();
    const int frame = 2 * style()->pixelMetric(QStyle::PM_DockWidgetFrameWidth, nullptr, this);
    setFixedWidth(qMax(120, content->sizeHint().width() + frame));
}

DesignToolbox::DesignToolbox(QWidget* parent)
    : QDockWidget(QCoreApplication::translate("MainWindow", "设计工具箱"), parent)
{
    setObjectName(QStringLiteral("designDock"));
    setFixedWidth(120);
    fitTimer_ = new QTimer(this);
    fitTimer_->setSingleShot(true);
    fitTimer_->setInterval(0);
    connect(fitTimer_, &QTimer::timeout, this, &DesignToolbox::fitWidth);
    setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    setAllowedAreas(Qt::AllDockWidgetAreas);
    auto* content = new QWidget(this);
    content->setObjectName(QStringLiteral("dockContent"));
    auto* layout = new QGridLayout(content);
    layout->setObjectName(QStringLiteral("dockLayout"));
    layout->setSpacing(10);
    layout->setAlignment(Qt::AlignTop);

    for (const brixo::KindInfo& k : brixo::kComponentKinds) {
        // The switch list stays open while several switches are picked from it.
        QComboBox* c = k.kind == ComponentKind::Switch ? new MultiselectComboBox(content) : new QComboBox(content);
        c->setObjectName(QLatin1String(k.objectName) + QStringLiteral("Combo"));
        c->addItem(listIcon(QLatin1String(k.picture)), text(k.listHeader));
        c->setMaxVisibleItems(k.maximum + 1);
        // The list's own size hint then covers its widest item, which fitWidth makes room for.
        c->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        for (auto changed : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
            connect(c->model(), changed, fitTimer_, qOverload<>(&QTimer::start));
        lists_[static_cast<int>(k.kind)] = c;
    }

    dataSlotButton_ = new QPushButton(QCoreApplication::translate("MainWindow", "数据槽"), content);
    dataSlotButton_->setObjectName(QStringLiteral("dataSlotButton"));
    textLabelButton_ = new QPushButton(QCoreApplication::translate("MainWindow", "注释槽"), content);
    textLabelButton_->setObjectName(QStringLiteral("textLabelButton"));
    digitSizeLabel_ = new QLabel(QCoreApplication::translate("MainWindow", "数码管尺寸大小："), content);
    digitSizeLabel_->setObjectName(QStringLiteral("digitSizeLabel"));
    digitSizeLabel_->setWordWrap(true); // the dock may be only 120 wide
    digitSizeSlider_ = new QSlider(Qt::Horizontal, content);
    digitSizeSlider_->setObjectName(QStringLiteral("digitSizeSlider"));
    digitSizeSlider_->setRange(0, 10);
    digitSizeSlider_->setValue(5);
    backgroundSizeLabel_ = new QLabel(QCoreApplication::translate("MainWindow", "背景图片大小："), content);
    backgroundSizeLabel_->setObjectName(QStringLiteral("backgroundSizeLabel"));
    backgroundSizeLabel_->setWordWrap(true);
    backgroundSizeSlider_ = new QSlider(Qt::Horizontal, content);
    backgroundSizeSlider_->setObjectName(QStringLiteral("backgroundSizeSlider"));
    backgroundSizeSlider_->setRange(0, 20);
    backgroundSizeSlider_->setValue(10);

    dataSlotGroup_ = new QGroupBox(QCoreApplication::translate("MainWindow", "数据槽属性"), content);
    dataSlotGroup_->setObjectName(QStringLiteral("dataSlotGroup"));
    auto* groupLayout = new QGridLayout(dataSlotGroup_);
    const QRegularExpression digits(QStringLiteral("[1-9][0-9]+$"));
    bitWidthEdit_ = new QLineEdit(dataSlotGroup_);
    bitWidthEdit_->setObjectName(QStringLiteral("bitWidthEdit"));
    bitWidthEdit_->setValidator(new QRegularExpressionValidator(digits, bitWidthEdit_));
    indexEdit_ = new QLineEdit(dataSlotGroup_);
    indexEdit_->setObjectName(QStringLiteral("indexEdit"));
    indexEdit_->setValidator(new QRegularExpressionValidator(digits, indexEdit_));
    groupLayout->addWidget(new QLabel(QCoreApplication::translate("MainWindow", "位宽"), dataSlotGroup_), 0, 0);
    groupLayout->addWidget(bitWidthEdit_, 0, 1);
    groupLayout->addWidget(new QLabel(QCoreApplication::translate("MainWindow", "序号"), dataSlotGroup_), 1, 0);
    groupLayout->addWidget(indexEdit_, 1, 1);
    keyEdit_ = new QLineEdit(dataSlotGroup_);
    keyEdit_->setObjectName(QStringLiteral("keyEdit"));
    keyEdit_->setReadOnly(true);
    keyEdit_->setStyleSheet(QStringLiteral("QWidget { background-color:gray; }"));
    keyEdit_->hide();
    keyLabel_ = new QLabel(QStringLiteral("key"), dataSlotGroup_);
    keyLabel_->setObjectName(QStringLiteral("keyLabel"));
    keyLabel_->hide();

    int row = 0;
    for (QComboBox* c : lists_)
        layout->addWidget(c, row++, 0);
    for (QWidget* w :
         std::initializer_list<QWidget*>{dataSlotButton_, textLabelButton_, digitSizeLabel_, digitSizeSlider_,
                                         backgroundSizeLabel_, backgroundSizeSlider_, dataSlotGroup_})
        layout->addWidget(w, row++, 0);
    setWidget(content);
    fitWidth();
}
