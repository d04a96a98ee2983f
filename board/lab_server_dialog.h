#pragma once
// Lab server…: the lab server's address, the user and the password; Sign in, then the kind of
// board to queue for (chosen by itself when the lab has one kind) and the place in the queue,
// live. The dialog closes accepted once a board is held and its panel is there; Cancel leaves
// the queue. The address and the user are remembered in config.json.
#include <QDialog>

class LabConnection;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class LabServerDialog : public QDialog {
    Q_OBJECT
public:
    LabServerDialog(LabConnection* connection, const QString& configFile, QWidget* parent = nullptr);

private:
    void signIn();
    void signedIn(bool ok, const QString& message, const QStringList& kinds);
    void queue();
    void say(const QString& text, bool error = false);
    void cancel();

    LabConnection* connection_;
    QString configFile_;
    QLineEdit* addressEdit_;
    QLineEdit* userEdit_;
    QLineEdit* passwordEdit_;
    QComboBox* kindCombo_;
    QPushButton* signInButton_;
    QPushButton* queueButton_;
    QLabel* statusLabel_;
};
