#pragma once
// A text label on the panel: free text the user types straight into it.
#include <QLineEdit>

class BrixoLineedit : public QLineEdit
{
    Q_OBJECT
public:
    explicit BrixoLineedit(QWidget* parent = nullptr);

    int key = 0;    // creation number
    int index = 0;  // label number written to the panel file

    // Shows a label read from a file: large type, widget fitted to the text.
    void setLabelText(const QString& text);
};
