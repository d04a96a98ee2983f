#pragma once
// The toolbox's switch list: stays open while the user picks several items from it.
#include <QComboBox>

class MultiselectComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit MultiselectComboBox(QWidget* parent = nullptr);

    void hidePopup() override;

    // True when a pointer at this position (relative to the box's top-left corner) is
    // over the drop-down list below the box, so the popup must stay open.
    static bool keepsPopupOpen(QPoint offset, QSize boxSize);
};
