#pragma once
// Lists the debug adapters and connects the one the user picks.
#include <QDialog>

#include <functional>

class QHBoxLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QVBoxLayout;
class TamroAdpter;

class DialogConnnect : public QDialog {
    Q_OBJECT
public:
    // The remote-lab server field is remembered in configFile (config.json beside the
    // program when empty).
    explicit DialogConnnect(QWidget* parent = nullptr, const QString& configFile = QString());
    ~DialogConnnect() override;

    // A red line above the list, e.g. why the dialog opened by itself.
    void showWarning(const QString& text);
    // After an accepted run: the list entry that was connected.
    QString connectedName() const { return connectedName_; }
    // The reconnect step the program hands to ErrorMessage: the dialog with `why` above the
    // list; true when the user connected an adapter.
    static bool reconnect(const QString& why);
    // What "Lab server…" opens (the program's lab server dialog); true when a lab board is held.
    using LabOpener = std::function<bool(QWidget* parent)>;
    static void setLabOpener(LabOpener opener);
    // After an accepted run: the board is a lab server's, not an adapter.
    bool labChosen() const { return labChosen_; }

private slots:
    void Refresh(bool silence = true);
    void Connecting();

private:
    QVBoxLayout* verticalLayout = nullptr;
    QLabel* textWarning = nullptr;
    QLabel* label = nullptr;
    QListWidget* deviceList = nullptr;
    QLabel* serverLabel = nullptr;
    QLineEdit* serverEdit = nullptr; // remote-lab server HOST:PORT, empty for none
    QHBoxLayout* horizontalLayout = nullptr;
    QPushButton* button1 = nullptr;
    QPushButton* button2 = nullptr;
    QPushButton* button3 = nullptr;
    QPushButton* labButton = nullptr;
    bool labChosen_ = false;
    TamroAdpter* adapter = nullptr;
    QString configFile_;
    QString connectedName_;
    void rememberServer();
};
