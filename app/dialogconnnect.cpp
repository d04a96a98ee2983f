#include "app/dialogconnnect.h"

#include "ui/sysconfig.h"
#include "board/design_server.h"
#include "board/tamroadpter.h"
#include "ui/messagebox.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const char* const kServerKey = "labServer";

DialogConnnect::LabOpener& labOpener()
{
    static DialogConnnect::LabOpener opener;
    return opener;
}
} // namespace

void DialogConnnect::setLabOpener(LabOpener opener) { labOpener() = std::move(opener); }

DialogConnnect::DialogConnnect(QWidget* parent, const QString& configFile)
    : QDialog(parent), configFile_(configFile.isEmpty() ? sysconfig::defaultConfigFile() : configFile)
{
    setObjectName(QStringLiteral("DialogConnnect"));
    verticalLayout = new QVBoxLayout(this);
    verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    verticalLayout->setSpacing(9);
    textWarning = new QLabel(this);
    textWarning->setObjectName(QStringLiteral("textWarning"));
    textWarning->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    textWarning->setWordWrap(true);
    verticalLayout->addWidget(textWarning);
    label = new QLabel(tr("调试适配器列表："), this);
    label->setObjectName(QStringLiteral("label"));
    verticalLayout->addWidget(label);
    deviceList = new QListWidget(this);
    deviceList->setObjectName(QStringLiteral("deviceList"));
    verticalLayout->addWidget(deviceList);
    serverLabel = new QLabel(tr("远程实验服务器（主机:端口）："), this);
    serverLabel->setObjectName(QStringLiteral("serverLabel"));
    verticalLayout->addWidget(serverLabel);
    serverEdit = new QLineEdit(this);
    serverEdit->setObjectName(QStringLiteral("serverEdit"));
    serverEdit->setPlaceholderText(tr("不用远程服务器时留空"));
    serverEdit->setText(sysconfig::readObject(configFile_).value(QLatin1String(kServerKey)).toString());
    verticalLayout->addWidget(serverEdit);
    labButton = new QPushButton(tr("实验室服务器…"), this);
    labButton->setObjectName(QStringLiteral("labServerButton"));
    labButton->setAutoDefault(false);
    labButton->setEnabled(static_cast<bool>(labOpener()));
    verticalLayout->addWidget(labButton);
    horizontalLayout = new QHBoxLayout();
    horizontalLayout->setObjectName(QStringLiteral("horizontalLayout"));
    button1 = new QPushButton(tr("刷新"), this);
    button1->setObjectName(QStringLiteral("button1"));
    button2 = new QPushButton(tr("连接"), this);
    button2->setObjectName(QStringLiteral("button2"));
    button3 = new QPushButton(tr("取消"), this);
    button3->setObjectName(QStringLiteral("button3"));
    for (QPushButton* b : {button1, button2, button3}) {
        b->setAutoDefault(false);
        horizontalLayout->addWidget(b);
    }
    verticalLayout->addLayout(horizontalLayout);
    setWindowTitle(tr("连接调试适配器"));
    resize(264, 221);
    setModal(true);
    textWarning->hide();

    adapter = new TamroAdpter();
    connect(button1, &QPushButton::clicked, this, &DialogConnnect::Refresh);
    connect(button2, &QPushButton::clicked, this, &DialogConnnect::Connecting);
    connect(button3, &QPushButton::clicked, this, &QDialog::reject);
    connect(labButton, &QPushButton::clicked, this, [this] {
        if (labOpener() && labOpener()(this)) {
            labChosen_ = true;
            accept();
        }
    });
    Refresh(true);
}

DialogConnnect::~DialogConnnect() { delete adapter; }

void DialogConnnect::showWarning(const QString& text)
{
    textWarning->setText(text);
    textWarning->setStyleSheet(QStringLiteral("color:red;"));
    textWarning->show();
}

void DialogConnnect::rememberServer()
{
    const QString text = serverEdit->text().trimmed();
    const QJsonValue stored = sysconfig::readObject(configFile_).value(QLatin1String(kServerKey));
    if (stored.toString() == text && (stored.isString() || text.isEmpty()))
        return;
    // Remembering is a convenience: a config.json that cannot be written costs nothing now.
    sysconfig::writeValue(configFile_, QLatin1String(kServerKey), text, sysconfig::userLanguageFile());
}

void DialogConnnect::Refresh(bool silence)
{
    deviceList->clear();
    QString host;
    int port = 0;
    const QString server = serverEdit->text().trimmed();
    if (!server.isEmpty() && !design::parseServerAddress(server, &host, &port)) {
        showWarning(tr("服务器地址应写成“主机:端口”，例如 127.0.0.1:40123。"));
        host.clear();
    }
    if (!silence)
        rememberServer();
    if (adapter->scan(silence, host, port) != 0)
        return;
    for (int i = 0; i < adapter->count(); ++i)
        deviceList->addItem(adapter->name(i));
    deviceList->setCurrentRow(0);
}

void DialogConnnect::Connecting()
{
    rememberServer();
    const int row = deviceList->currentRow();
    if (adapter->connect(row) == 0) {
        connectedName_ = adapter->name(row);
        accept();
    }
}

bool DialogConnnect::reconnect(const QString& why)
{
    DialogConnnect dialog;
    dialog.showWarning(why);
    return MessageBox::execDialog(dialog) == QDialog::Accepted;
}
