#pragma once
// The Simulate dialog: the chosen files, their top module (a list when several modules are
// instantiated by none), the simulator (of those installed), the free-running clock's rate and
// whether keys read 0 when pressed. It opens with what was chosen for the same files last time.
#include "design_choices.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QDoubleSpinBox;

class SimulateDialog : public QDialog {
    Q_OBJECT
public:
    SimulateDialog(const QStringList& files, const DesignChoices& preset, QWidget* parent = nullptr);
    DesignChoices choices() const;

    // brixo-labd's names of the simulators whose programs are on PATH, Icarus Verilog first.
    static QStringList installedSimulators();

private:
    QComboBox* top_;
    QComboBox* simulator_;
    QDoubleSpinBox* clockHz_;
    QCheckBox* keysActiveLow_;
};
