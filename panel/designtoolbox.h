#pragma once
// The design toolbox docked at the left in design mode: one list per component kind, the data
// slot and text label buttons, the two size sliders and the data slot's width and number.
#include "component_kinds.h"

#include <QDockWidget>
#include <QIcon>

#include <array>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QTimer;

class DesignToolbox : public QDockWidget {
    Q_OBJECT
public:
    explicit DesignToolbox(QWidget* parent);

    QComboBox* list(brixo::ComponentKind kind) const { return lists_[static_cast<int>(kind)]; }
    QComboBox* switchCombo() const { return list(brixo::ComponentKind::Switch); }
    QComboBox* keyCombo() const { return list(brixo::ComponentKind::Key); }
    QComboBox* redLedCombo() const { return list(brixo::ComponentKind::RedLed); }
    QComboBox* greenLedCombo() const { return list(brixo::ComponentKind::GreenLed); }
    QComboBox* digitCombo() const { return list(brixo::ComponentKind::Digit); }
    QPushButton* dataSlotButton() const { return dataSlotButton_; }
    QPushButton* textLabelButton() const { return textLabelButton_; }
    QSlider* digitSizeSlider() const { return digitSizeSlider_; }
    QSlider* backgroundSizeSlider() const { return backgroundSizeSlider_; }
    QLineEdit* bitWidthEdit() const { return bitWidthEdit_; }
    QLineEdit* indexEdit() const { return indexEdit_; }
    // Read-only and never laid out: the pressed data slot's key, which the edits change.
    QLineEdit* keyEdit() const { return keyEdit_; }

    // A toolbox list's picture by resource path, read from its file once per process: the
    // lists are refilled on every Open with about a hundred items sharing five pictures.
    static QIcon listIcon(const QString& path);
    // How many pictures listIcon has read from files so far.
    static int listIconLoads();

    // Widens the dock to what its widest entry needs (never below 120), so no list text is cut.
    // Runs by itself after the lists change.
    void fitWidth();

private:
    std::array<QComboBox*, 5> lists_{};
    QPushButton* dataSlotButton_ = nullptr;  // "数据槽"
    QPushButton* textLabelButton_ = nullptr; // "注释槽"
    QLabel* digitSizeLabel_ = nullptr;
    QSlider* digitSizeSlider_ = nullptr;
    QLabel* backgroundSizeLabel_ = nullptr;
    QSlider* backgroundSizeSlider_ = nullptr;
    QGroupBox* dataSlotGroup_ = nullptr;
    QLineEdit* bitWidthEdit_ = nullptr;
    QLineEdit* indexEdit_ = nullptr;
    QLineEdit* keyEdit_ = nullptr;
    QLabel* keyLabel_ = nullptr;
    QTimer* fitTimer_ = nullptr; // one fit after a burst of list changes
};
