#pragma once
// A free text label on the panel; the user types its text straight into it.
#include <QLineEdit>

class BrixoLineedit : public QLineEdit {
    Q_OBJECT
public:
    explicit BrixoLineedit(QWidget* parent = nullptr);

    void setLabelText(QString text);

    int key = 0;
    int index = 0;

private:
    void fitToText();
};
