#include "panel/designtoolbox.h"

#include "panel/multiselectcombobox.h"
#include "panel/panelmodel.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSlider>

using brixo::ComponentKind;

namespace {
QString text(const char* source)
{
    return QCoreApplication::translate("MainWindow", source);
}
}  // namespace

DesignToolbox::DesignToolbox(const ComponentPictures& pictures, QWidget* parent)
    : QDockWidget(QCoreApplication::translate("MainWindow", "设计工具箱"), parent)
{
    setObjectName(QStringLiteral("designDock"));
    setFixedWidth(120);
    setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    setAllowedAreas(Qt::AllDockWidgetAreas);
    auto* content = new QWidget(this);
    content->setObjectName(QStringLiteral("dockContent"));
    auto* layout = new QGridLayout(content);
    layout->setObjectName(QStringLiteral("dockLayout"));
    layout->setSpacing(10);
    layout->setAlignment(Qt::AlignTop);

    const QPixmap* icons[] = {&pictures.switchOnImage, &pictures.keyPressedImage, &pictures.ledRedImage,
                              &pictures.ledGreenImage, &pictures.digitBackgroundImage};
    for (const brixo::KindInfo& k : brixo::kComponentKinds) {
        // The switch list stays open while several switches are picked from it.
        QComboBox* c = k.kind == ComponentKind::Switch ? new MultiselectComboBox(content) : new QComboBox(content);
        c->setObjectName(QLatin1String(k.objectName) + QStringLiteral("Combo"));
        c->addItem(QIcon(*icons[static_cast<int>(k.kind)]), text(k.listHeader));
        c->setMaxVisibleItems(k.maximum + 1);
        lists_[static_cast<int>(k.kind)] = c;
    }

    dataSlotButton_ = new QPushButton(QCoreApplication::translate("MainWindow", "数据槽"), content);
    dataSlotButton_->setObjectName(QStringLiteral("dataSlotButton"));
    textLabelButton_ = new QPushButton(QCoreApplication::translate("MainWindow", "注释槽"), content);
    textLabelButton_->setObjectName(QStringLiteral("textLabelButton"));
    digitSizeLabel_ = new QLabel(QCoreApplication::translate("MainWindow", "数码管尺寸大小："), content);
    digitSizeLabel_->setObjectName(QStringLiteral("digitSizeLabel"));
    digitSizeLabel_->setWordWrap(true);  // the dock is only 120 wide
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
    for (QWidget* w : std::initializer_list<QWidget*>{dataSlotButton_, textLabelButton_, digitSizeLabel_,
                                                       digitSizeSlider_, backgroundSizeLabel_, backgroundSizeSlider_,
                                                       dataSlotGroup_})
        layout->addWidget(w, row++, 0);
    setWidget(content);
}
