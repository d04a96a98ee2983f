#include "simulate_dialog.h"

#include "labd/top_candidates.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace {

struct SimulatorKind {
    const char* name; // as brixo-labd's --simulator takes it
    const char* title;
    const char* programs[2]; // what it runs, as brixo-labd looks for them
};
const SimulatorKind kSimulators[] = {
    {"iverilog", "Icarus Verilog", {"iverilog", "vvp"}},
    {"verilator", "Verilator", {"verilator", "make"}},
};

// The modules no other instantiates, read from the files as they are; empty with the reason when
// they cannot be read so (the server, which preprocesses, then decides).
QStringList topCandidates(const QStringList& files, QString* error)
{
    std::vector<std::string> paths, tops;
    for (const QString& f : files)
        paths.push_back(f.toLocal8Bit().toStdString());
    std::string why;
    QStringList out;
    if (!labd::readTopCandidates(paths, tops, why)) {
        *error = QString::fromLocal8Bit(why.c_str());
        return out;
    }
    for (const std::string& t : tops)
        out << QString::fromStdString(t);
    return out;
}

} // namespace

QStringList SimulateDialog::installedSimulators()
{
    QStringList found;
    for (const SimulatorKind& k : kSimulators) {
        bool all = true;
        for (const char* program : k.programs)
            all = all && !QStandardPaths::findExecutable(QLatin1String(program)).isEmpty();
        if (all)
            found << QLatin1String(k.name);
    }
    return found;
}

SimulateDialog::SimulateDialog(const QStringList& files, const DesignChoices& preset, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("simulateDesignDialog"));
    setWindowTitle(tr("仿真Verilog设计"));
    auto* layout = new QVBoxLayout(this);
    QStringList names;
    for (const QString& f : files)
        names << QFileInfo(f).fileName();
    auto* fileList = new QLabel(tr("用仿真器运行这个设计：\n%1").arg(names.join(QLatin1Char('\n'))), this);
    fileList->setObjectName(QStringLiteral("designFiles"));
    layout->addWidget(fileList);
    auto* form = new QFormLayout;
    layout->addLayout(form);

    top_ = new QComboBox(this);
    top_->setObjectName(QStringLiteral("topModule"));
    QString listError;
    const QStringList tops = topCandidates(files, &listError);
    for (const QString& t : tops)
        top_->addItem(t, t);
    if (tops.isEmpty()) {
        top_->addItem(tr("（由仿真服务器决定）"), QString());
        // Chosen before, when the files could still be read: offered again.
        if (!preset.top.isEmpty())
            top_->addItem(preset.top, preset.top);
    }
    top_->setCurrentIndex(std::max(0, top_->findData(preset.top)));
    form->addRow(tr("顶层模块："), top_);
    if (!listError.isEmpty()) {
        auto* note = new QLabel(tr("无法从文件中列出顶层模块：%1").arg(listError), this);
        note->setObjectName(QStringLiteral("topModuleNote"));
        note->setWordWrap(true);
        form->addRow(QString(), note);
    }

    simulator_ = new QComboBox(this);
    simulator_->setObjectName(QStringLiteral("simulator"));
    const QStringList installed = installedSimulators();
    for (const SimulatorKind& k : kSimulators)
        if (installed.contains(QLatin1String(k.name)))
            simulator_->addItem(QLatin1String(k.title), QLatin1String(k.name));
    simulator_->setCurrentIndex(std::max(0, simulator_->findData(preset.simulator)));
    form->addRow(tr("仿真器："), simulator_);

    clockHz_ = new QDoubleSpinBox(this);
    clockHz_->setObjectName(QStringLiteral("clockHz"));
    // What brixo-labd accepts for --clock-hz.
    clockHz_->setRange(0.001, 1e8);
    clockHz_->setDecimals(3);
    clockHz_->setSuffix(QStringLiteral(" Hz"));
    clockHz_->setValue(preset.clockHz > 0 ? preset.clockHz : design::kDefaultClockHz);
    clockHz_->setToolTip(tr("设计的时钟端口（clk、clock或clock_开头，如CLOCK_50）在仿真时间里的频率"));
    form->addRow(tr("时钟频率："), clockHz_);

    keysActiveLow_ = new QCheckBox(tr("按键按下时为0（低电平有效）"), this);
    keysActiveLow_->setObjectName(QStringLiteral("keysActiveLow"));
    keysActiveLow_->setChecked(preset.keysActiveLow);
    layout->addWidget(keysActiveLow_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("simulateButtons"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    if (installed.isEmpty()) {
        // Nothing could run the design: say so instead of a server failing to find it.
        auto* none = new QLabel(tr("没有安装仿真器：请安装Icarus Verilog（iverilog）或Verilator。"), this);
        none->setObjectName(QStringLiteral("noSimulator"));
        none->setWordWrap(true);
        layout->addWidget(none);
        buttons->button(QDialogButtonBox::Ok)->setEnabled(false);
    }
    layout->addWidget(buttons);
}

DesignChoices SimulateDialog::choices() const
{
    DesignChoices c;
    c.top = top_->currentData().toString();
    c.simulator = simulator_->currentData().toString();
    c.clockHz = clockHz_->value();
    c.keysActiveLow = keysActiveLow_->isChecked();
    return c;
}
