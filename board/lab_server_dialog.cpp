#include "board/lab_server_dialog.h"

#include "board/lab_connection.h"
#include "ui/sysconfig.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const char* const kAddressKey = "labServerUrl";
const char* const kUserKey = "labServerUser";
} // namespace

LabServerDialog::LabServerDialog(LabConnection* connection, const QString& configFile, QWidget* parent)
    : QDialog(parent), connection_(connection), configFile_(configFile)
{
    setObjectName(QStringLiteral("LabServerDialog"));
    setWindowTitle(tr("实验室服务器"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout();
    const QJsonObject saved = sysconfig::readObject(configFile_);
    addressEdit_ = new QLineEdit(saved.value(QLatin1String(kAddressKey)).toString(), this);
    addressEdit_->setObjectName(QStringLiteral("labAddressEdit"));
    addressEdit_->setPlaceholderText(QStringLiteral("http://127.0.0.1:8080"));
    userEdit_ = new QLineEdit(saved.value(QLatin1String(kUserKey)).toString(), this);
    userEdit_->setObjectName(QStringLiteral("labUserEdit"));
    passwordEdit_ = new QLineEdit(this);
    passwordEdit_->setObjectName(QStringLiteral("labPasswordEdit"));
    passwordEdit_->setEchoMode(QLineEdit::Password);
    kindCombo_ = new QComboBox(this);
    kindCombo_->setObjectName(QStringLiteral("labKindCombo"));
    kindCombo_->setEnabled(false);
    form->addRow(tr("地址："), addressEdit_);
    form->addRow(tr("用户名："), userEdit_);
    form->addRow(tr("密码："), passwordEdit_);
    form->addRow(tr("实验板种类："), kindCombo_);
    layout->addLayout(form);
    statusLabel_ = new QLabel(this);
    statusLabel_->setObjectName(QStringLiteral("labStatusLabel"));
    statusLabel_->setWordWrap(true);
    layout->addWidget(statusLabel_);
    auto* buttons = new QHBoxLayout();
    signInButton_ = new QPushButton(tr("登录"), this);
    signInButton_->setObjectName(QStringLiteral("labSignInButton"));
    signInButton_->setDefault(true);
    queueButton_ = new QPushButton(tr("排队"), this);
    queueButton_->setObjectName(QStringLiteral("labQueueButton"));
    queueButton_->setEnabled(false);
    auto* cancelButton = new QPushButton(tr("取消"), this);
    cancelButton->setObjectName(QStringLiteral("labCancelButton"));
    for (QPushButton* b : {signInButton_, queueButton_, cancelButton})
        buttons->addWidget(b);
    layout->addLayout(buttons);
    resize(360, 0);
    setModal(true);

    connect(signInButton_, &QPushButton::clicked, this, &LabServerDialog::signIn);
    connect(queueButton_, &QPushButton::clicked, this, &LabServerDialog::queue);
    connect(cancelButton, &QPushButton::clicked, this, &LabServerDialog::cancel);
    connect(connection_, &LabConnection::signedIn, this, &LabServerDialog::signedIn);
    connect(connection_, &LabConnection::placeChanged, this,
            [this](int position) { say(tr("排队中：第 %1 位").arg(position)); });
    connect(connection_, &LabConnection::failed, this, [this](const QString& why) {
        say(why, true);
        queueButton_->setEnabled(kindCombo_->count() > 0);
        signInButton_->setEnabled(true);
    });
    connect(connection_, &LabConnection::holdEnded, this, [this](const QString& why) { say(why, true); });
    connect(connection_, &LabConnection::boardReady, this, [this] { accept(); });
}

void LabServerDialog::say(const QString& text, bool error)
{
    statusLabel_->setStyleSheet(error ? QStringLiteral("color:red;") : QString());
    statusLabel_->setText(text);
}

void LabServerDialog::signIn()
{
    sysconfig::writeValue(configFile_, QLatin1String(kAddressKey), addressEdit_->text().trimmed(),
                          sysconfig::userLanguageFile());
    sysconfig::writeValue(configFile_, QLatin1String(kUserKey), userEdit_->text().trimmed(),
                          sysconfig::userLanguageFile());
    signInButton_->setEnabled(false);
    queueButton_->setEnabled(false);
    say(tr("正在登录…"));
    connection_->signIn(addressEdit_->text().trimmed(), userEdit_->text().trimmed(), passwordEdit_->text());
}

void LabServerDialog::signedIn(bool ok, const QString& message, const QStringList& kinds)
{
    passwordEdit_->clear();
    signInButton_->setEnabled(true);
    if (!ok) {
        say(message, true);
        return;
    }
    kindCombo_->clear();
    kindCombo_->addItems(kinds);
    kindCombo_->setEnabled(kinds.size() > 1);
    if (kinds.isEmpty()) {
        say(tr("实验室没有实验板"), true);
        return;
    }
    // One kind of board: nothing to choose.
    if (kinds.size() == 1) {
        queue();
        return;
    }
    queueButton_->setEnabled(true);
    say(tr("选择实验板种类，然后排队"));
}

void LabServerDialog::queue()
{
    queueButton_->setEnabled(false);
    signInButton_->setEnabled(false);
    say(tr("正在排队…"));
    connection_->queueFor(kindCombo_->currentText());
}

void LabServerDialog::cancel()
{
    if (!connection_->holding())
        connection_->release();
    reject();
}
