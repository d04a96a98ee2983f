#include "panel/pannelsetting.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>

pannelSetting::pannelSetting(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("pannelSetting"));
    setWindowTitle(tr("面板属性设置"));
    setModal(true);

    tabs = new QTabWidget(this);
    tabs->setFixedWidth(250);
    auto* page = new QWidget(tabs);
    auto* pageGrid = new QGridLayout(page);

    nameEdit = new QLineEdit(page);
    nameEdit->setObjectName(QStringLiteral("nameEdit"));
    nameEdit->setPlaceholderText(tr("请输入实验板名称"));
    identifierEdit = new QLineEdit(page);
    identifierEdit->setObjectName(QStringLiteral("identifierEdit"));
    identifierEdit->setPlaceholderText(tr("仿真标识，普通用户请勿修改"));
    pageGrid->addWidget(new QLabel(tr("名称："), page), 0, 0);
    pageGrid->addWidget(nameEdit, 1, 0);
    pageGrid->addWidget(new QLabel(tr("标识："), page), 2, 0);
    pageGrid->addWidget(identifierEdit, 3, 0);

    auto* group = new QGroupBox(tr("控件信息设置"), page);
    auto* groupGrid = new QGridLayout(group);
    const brixo::PanelCounts& max = brixo::kPanelCountMaxima;
    struct Row {
        QSpinBox** spin;
        const char* name;
        QString label;
        int maximum;
    };
    const Row rows[] = {
        {&switchSpin, "switchSpin", tr("开关数量："), max.switches},
        {&keySpin, "keySpin", tr("按键数量："), max.keys},
        {&redLedSpin, "redLedSpin", tr("红灯数量："), max.redLeds},
        {&greenLedSpin, "greenLedSpin", tr("绿灯数量："), max.greenLeds},
        {&digitSpin, "digitSpin", tr("数码管数量："), max.digits},
    };
    int r = 0;
    for (const Row& row : rows) {
        auto* spin = new QSpinBox(group);
        spin->setObjectName(QLatin1String(row.name));
        // Presets are the maxima: most boards carry the full set.
        spin->setRange(0, row.maximum);
        spin->setValue(row.maximum);
        *row.spin = spin;
        groupGrid->addWidget(new QLabel(row.label, group), r, 0);
        groupGrid->addWidget(spin, r, 1);
        ++r;
    }
    pageGrid->addWidget(group, 4, 0);
    tabs->addTab(page, tr("虚拟面板设置"));

    okButton = new QPushButton(tr("确定"), this);
    okButton->setObjectName(QStringLiteral("okButton"));
    okButton->setDefault(true); // Return accepts, as a keyboard user expects
    cancelButton = new QPushButton(tr("取消"), this);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    auto* grid = new QGridLayout(this);
    grid->addWidget(tabs, 0, 0, 8, 4);
    grid->addWidget(okButton, 8, 1);
    grid->addWidget(cancelButton, 8, 3);

    connect(okButton, &QPushButton::clicked, this, &pannelSetting::storeAndAccept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void pannelSetting::showPanel(const brixo::PanelCounts& counts, const QString& name, const QString& identifier)
{
    const std::pair<QSpinBox*, int> values[] = {{switchSpin, counts.switches},
                                                {keySpin, counts.keys},
                                                {redLedSpin, counts.redLeds},
                                                {greenLedSpin, counts.greenLeds},
                                                {digitSpin, counts.digits}};
    for (const auto& [spin, value] : values) {
        spin->setValue(value);
        spin->setEnabled(false);
    }
    nameEdit->setText(name);
    identifierEdit->setText(identifier);
}

void pannelSetting::storeAndAccept()
{
    switchCount = switchSpin->value();
    keyCount = keySpin->value();
    redLedCount = redLedSpin->value();
    greenLedCount = greenLedSpin->value();
    digitCount = digitSpin->value();
    panelName = nameEdit->text();
    experimentName = identifierEdit->text();
    accept();
}
