#pragma once
// Lists the debug adapters and connects the one the user picks.
#include <QDialog>

class QHBoxLayout;
class QLabel;
class QListWidget;
class QPushButton;
class QVBoxLayout;
class TamroAdpter;

class DialogConnnect : public QDialog
{
    Q_OBJECT
public:
    explicit DialogConnnect(QWidget* parent = nullptr);
    ~DialogConnnect() override;

    // A red line above the list, e.g. why the dialog opened by itself.
    void showWarning(const QString& text);
    // The reconnect step the program hands to ErrorMessage: the dialog with `why` above the
    // list; true when the user connected an adapter.
    static bool reconnect(const QString& why);

private slots:
    void Refresh(bool silence = true);
    void Connecting();

private:
    QVBoxLayout* verticalLayout = nullptr;
    QLabel* textWarning = nullptr;
    QLabel* label = nullptr;
    QListWidget* deviceList = nullptr;
    QHBoxLayout* horizontalLayout = nullptr;
    QPushButton* button1 = nullptr;
    QPushButton* button2 = nullptr;
    QPushButton* button3 = nullptr;
    TamroAdpter* adapter = nullptr;
};
