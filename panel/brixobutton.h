#pragma once
// A data slot on the panel: a push button that shows a value read from the board.
#include <QPushButton>

class BrixoButton : public QPushButton {
    Q_OBJECT
public:
    explicit BrixoButton(QWidget* parent = nullptr);

    // Shows text; with toggle it also flips between one line and one character per line.
    void setDataText(QString text, bool toggle);

    int key = 0;
    int bitWidth = 16;
    int index = 0;
    bool isVertical = false;
};
