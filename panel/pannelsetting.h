#pragma once
// The panel settings dialog: name, simulation identifier and component counts of a new panel,
// or, with the counts locked, name and identifier of the open one.
#include <QDialog>

#include "panel_settings_values.h"

class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;

class pannelSetting : public QDialog {
    Q_OBJECT
public:
    explicit pannelSetting(QWidget* parent = nullptr);

    // Information form: the counts of the open panel are shown and cannot be changed.
    void showPanel(const brixo::PanelCounts& counts, const QString& name, const QString& identifier);

    // Results, valid after the dialog closed with OK.
    int switchCount = 0;
    int keyCount = 0;
    int redLedCount = 0;
    int greenLedCount = 0;
    int digitCount = 0;
    QString panelName;
    QString experimentName;

    QLineEdit* nameEdit = nullptr;
    QLineEdit* identifierEdit = nullptr;
    QSpinBox* switchSpin = nullptr;
    QSpinBox* keySpin = nullptr;
    QSpinBox* redLedSpin = nullptr;
    QSpinBox* greenLedSpin = nullptr;
    QSpinBox* digitSpin = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;

public slots:
    void storeAndAccept();

private:
    QTabWidget* tabs = nullptr;
};
