#include "app/dialogconnnect.h"

#include "board/tamroadpter.h"
#include "ui/messagebox.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

DialogConnnect::DialogConnnect(QWidget* parent) : QDialog(parent)
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
    resize(264, 171);
    setModal(true);
    textWarning->hide();

    adapter = new TamroAdpter();
    connect(button1, &QPushButton::clicked, this, &DialogConnnect::Refresh);
    connect(button2, &QPushButton::clicked, this, &DialogConnnect::Connecting);
    connect(button3, &QPushButton::clicked, this, &QDialog::reject);
    Refresh(true);
}

DialogConnnect::~DialogConnnect()
{
    delete adapter;
}

void DialogConnnect::showWarning(const QString& text)
{
    textWarning->setText(text);
    textWarning->setStyleSheet(QStringLiteral("color:red;"));
    textWarning->show();
}

void DialogConnnect::Refresh(bool silence)
{
    deviceList->clear();
    if (adapter->scan(silence) != 0)
        return;
    for (int i = 0; i < adapter->count(); ++i)
        deviceList->addItem(adapter->name(i));
    deviceList->setCurrentRow(0);
}

void DialogConnnect::Connecting()
{
    if (adapter->connect(deviceList->currentRow()) == 0)
        accept();
}

bool DialogConnnect::reconnect(const QString& why)
{
    DialogConnnect dialog;
    dialog.showWarning(why);
    return MessageBox::execDialog(dialog) == QDialog::Accepted;
}
