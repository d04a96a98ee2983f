// ErrorMessage::showResult's texts in both languages, the connect dialog and the about box.
#include "board_fixture.h"

#include "app/about.h"
#include "app/dialogconnnect.h"
#include "board/error_texts.h"
#include "board/errormessage.h"

#include "ui/sysconfig.h"
#include "support/emu_lab_server.h"

#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTranslator>

#include <string>

static void loadCatalogue() { Q_INIT_RESOURCE(translations); }

namespace {

struct English {
    QTranslator translator;
    English()
    {
        loadCatalogue();
        EXPECT_TRUE(translator.load(QStringLiteral(":/trans/english")));
        QCoreApplication::installTranslator(&translator);
    }
    ~English() { QCoreApplication::removeTranslator(&translator); }
};

struct Expected {
    int code;
    const char* text; // null: no box
    const char* codeLine;
    int result;
};

void checkShowResult(const Expected& e, const char* title)
{
    SCOPED_TRACE(e.code);
    MessageBox::clearShown();
    if (e.text)
        MessageBox::setNextAnswer(QMessageBox::Ok);
    EXPECT_EQ(ErrorMessage::showResult(e.code), e.result);
    if (!e.text) {
        EXPECT_TRUE(MessageBox::shown().isEmpty());
        return;
    }
    ASSERT_EQ(MessageBox::shown().size(), 1);
    const MessageBox::Shown& box = MessageBox::shown()[0];
    EXPECT_EQ(box.title, QString::fromUtf8(title));
    EXPECT_EQ(box.text, QString::fromUtf8(e.text));
    EXPECT_EQ(box.informative, QString::fromUtf8(e.codeLine));
    EXPECT_EQ(box.icon, QMessageBox::Warning);
}

TEST(ShowResult, ChineseTexts)
{
    // With no reconnect step handed in, a missing adapter is an error box like the others.
    ErrorMessage::setReconnect(nullptr);
    const Expected cases[] = {
        {-5, "尚未选择调试适配器！请重新连接。", "错误代码：-5", -5},
        {0, nullptr, "", 0},
        {1, "该实验的仿真功能尚未实现。", "", 0},
        {18, "发生未知错误。", "", 0},
        {-9, "等待调试适配器返回数据超时。", "错误代码：-9", -9},
        {-100, "发生未知错误。", "错误代码：-100", -100},
        {-256, "上一步运行尚未结束，请停止运行或复位后再操作。", "错误代码：-256", -256},
        {-22, "连接服务器出错，无法连接服务器。", "错误代码：-22", -22},
    };
    for (const Expected& e : cases)
        checkShowResult(e, "注意");
}

TEST(ShowResult, EnglishTexts)
{
    English english;
    const Expected cases[] = {
        {0, nullptr, "", 0},
        {1, "The simulation of the experiment not yet implemented.", "", 0},
        {18, "An unknown error occurred.", "", 0},
        {-9, "Wait for the debug adapter to return the data timeout.", "Error code: -9", -9},
        {-100, "An unknown error occurred.", "Error code: -100", -100},
        {-1, "No debug adapter was found.", "Error code: -1", -1},
        {-20, "Failed to create a socket.", "Error code: -20", -20},
        {-21, "The server's IP address is wrong.", "Error code: -21", -21},
        {-22, "Could not connect to the server.", "Error code: -22", -22},
        {-23, "The data to send is larger than the buffer.", "Error code: -23", -23},
        {-24, "Failed to send data to the server.", "Error code: -24", -24},
        {-25, "Timed out waiting for the server to reply.", "Error code: -25", -25},
        {-26, "Failed to connect to Lantrovex.", "Error code: -26", -26},
        {-27, "The remote lab service did not return enough data.", "Error code: -27", -27},
    };
    for (const Expected& e : cases)
        checkShowResult(e, "Attention");
}

// Every code the library can return has the program's own text and an English one. Success
// shows nothing; the firmware-date refusal and a failed HID report write show the unknown-error
// text on purpose.
TEST(ShowResult, EveryLibraryCodeHasItsTexts)
{
    English english;
    struct Code {
        int value;
        const char* name;
    };
#define BRIXO_CODE(name, value) {value, #name},
    const Code codes[] = {VESTRIX_RESULT_CODES(BRIXO_CODE)};
#undef BRIXO_CODE
    const std::string unknown = board::errorSourceText(-100);
    for (const Code& c : codes) {
        if (c.value == VESTRIX_OK || c.value == VESTRIX_FIRMWARE_TOO_OLD || c.value == VESTRIX_REPORT_WRITE_FAILED)
            continue;
        const char* source = board::errorSourceText(c.value);
        EXPECT_NE(std::string(source), unknown) << c.name;
        const QString shown = QCoreApplication::translate(board::kErrorContext, source);
        EXPECT_NE(shown, QString::fromUtf8(source)) << c.name;
    }
}

class Dialogs : public BoardLink {};

TEST_F(Dialogs, NoAdapterSelectedGoesThroughTheConnectDialog)
{
    disconnect();
    DialogSeen seen;
    answerConnectDialog(&seen, "button2");
    EXPECT_EQ(ErrorMessage::showResult(-5), 0);
    EXPECT_TRUE(seen.opened);
    EXPECT_TRUE(seen.warningVisible);
    EXPECT_EQ(seen.warningStyle, QStringLiteral("color:red;"));
    EXPECT_TRUE(MessageBox::shown().isEmpty());

    {
        English english;
        DialogSeen inEnglish;
        answerConnectDialog(&inEnglish, "button3");
        EXPECT_EQ(ErrorMessage::showResult(-5), -5);
        EXPECT_EQ(inEnglish.warning, QStringLiteral("Failed to connect debug adapter! Please reconnect."));
    }

    DialogSeen cancelled;
    answerConnectDialog(&cancelled, "button3");
    EXPECT_EQ(ErrorMessage::showResult(-5), -5);
    EXPECT_TRUE(cancelled.opened);
    EXPECT_TRUE(MessageBox::shown().isEmpty());
}

TEST_F(Dialogs, ConnectDialogListsTwoOneOrNoAdapters)
{
    emu::LabCircuit other;
    emu::Adapter second(emu::Adapter::Kind::Bulk, &other);
    emu::attach(&second);
    {
        DialogConnnect dialog;
        auto* list = dialog.findChild<QListWidget*>(QStringLiteral("deviceList"));
        ASSERT_EQ(list->count(), 2);
        EXPECT_EQ(list->currentRow(), 0);
        EXPECT_FALSE(list->item(0)->text().isEmpty());
        EXPECT_FALSE(list->item(1)->text().isEmpty());
        EXPECT_NE(list->item(0)->text(), list->item(1)->text());
        EXPECT_TRUE(dialog.findChild<QLabel*>(QStringLiteral("textWarning"))->isHidden());
        EXPECT_TRUE(MessageBox::shown().isEmpty());
        // Connecting the second adapter closes the dialog accepted.
        list->setCurrentRow(1);
        dialog.findChild<QPushButton*>(QStringLiteral("button2"))->click();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_TRUE(MessageBox::shown().isEmpty());
    }
    emu::detach(&second);
    {
        DialogConnnect dialog;
        EXPECT_EQ(dialog.findChild<QListWidget*>(QStringLiteral("deviceList"))->count(), 1);
    }
    emu::detach(&adapter);
    {
        DialogConnnect dialog;
        auto* list = dialog.findChild<QListWidget*>(QStringLiteral("deviceList"));
        EXPECT_EQ(list->count(), 0);
        EXPECT_TRUE(MessageBox::shown().isEmpty()); // the first scan is silent
        // Refresh is not: it reports the missing adapter.
        MessageBox::setNextAnswer(QMessageBox::Ok);
        dialog.findChild<QPushButton*>(QStringLiteral("button1"))->click();
        ASSERT_EQ(MessageBox::shown().size(), 1);
        EXPECT_EQ(MessageBox::shown()[0].text, QStringLiteral("没有发现调试适配器。"));
        // Connect on the empty list reports -1 and keeps the dialog open.
        MessageBox::setNextAnswer(QMessageBox::Ok);
        dialog.findChild<QPushButton*>(QStringLiteral("button2"))->click();
        ASSERT_EQ(MessageBox::shown().size(), 2);
        EXPECT_EQ(MessageBox::shown()[1].text, QStringLiteral("没有发现调试适配器。"));
        EXPECT_EQ(MessageBox::shown()[1].informative, QStringLiteral("错误代码：-1"));
        EXPECT_NE(dialog.result(), QDialog::Accepted);
        // Cancel rejects.
        dialog.findChild<QPushButton*>(QStringLiteral("button3"))->click();
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
}

TEST_F(Dialogs, ServerFieldListsTheServerAndIsRemembered)
{
    emu::LabCircuit remote;
    emu::LabServer server(&remote);
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("config.json"));
    {
        QFile f(config);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(R"({"language":"chinese"})");
    }
    const QString address = QStringLiteral("127.0.0.1:%1").arg(server.port());
    const auto names = [](DialogConnnect& d) {
        QStringList out;
        auto* list = d.findChild<QListWidget*>(QStringLiteral("deviceList"));
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    };
    {
        DialogConnnect dialog(nullptr, config);
        auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("serverEdit"));
        ASSERT_TRUE(edit);
        EXPECT_TRUE(edit->text().isEmpty());
        EXPECT_EQ(names(dialog).size(), 1);
        edit->setText(address);
        dialog.findChild<QPushButton*>(QStringLiteral("button1"))->click();
        EXPECT_TRUE(names(dialog).contains(QStringLiteral("Lantrovex")));
    }
    const QJsonObject stored = sysconfig::readObject(config);
    EXPECT_EQ(stored.value(QStringLiteral("labServer")).toString(), address);
    EXPECT_EQ(stored.value(QStringLiteral("language")).toString(), QStringLiteral("chinese"));
    {
        // Remembered, and listed by the first, silent scan.
        DialogConnnect dialog(nullptr, config);
        EXPECT_EQ(dialog.findChild<QLineEdit*>(QStringLiteral("serverEdit"))->text(), address);
        EXPECT_EQ(names(dialog).size(), 2);
        EXPECT_TRUE(names(dialog).contains(QStringLiteral("Lantrovex")));
        // A field without a port is said to be wrong and lists the adapters alone.
        dialog.findChild<QLineEdit*>(QStringLiteral("serverEdit"))->setText(QStringLiteral("127.0.0.1"));
        dialog.findChild<QPushButton*>(QStringLiteral("button1"))->click();
        EXPECT_FALSE(dialog.findChild<QLabel*>(QStringLiteral("textWarning"))->isHidden());
        EXPECT_EQ(names(dialog).size(), 1);
    }
    EXPECT_TRUE(MessageBox::shown().isEmpty());
}

TEST_F(Dialogs, ConnectDialogLooksAsDescribed)
{
    English english;
    DialogConnnect dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Connect Debug Adapter"));
    EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("label"))->text(), QStringLiteral("Debug Adapter List:"));
    EXPECT_EQ(dialog.findChild<QPushButton*>(QStringLiteral("button1"))->text(), QStringLiteral("Refresh"));
    EXPECT_EQ(dialog.findChild<QPushButton*>(QStringLiteral("button2"))->text(), QStringLiteral("Connecting"));
    EXPECT_EQ(dialog.findChild<QPushButton*>(QStringLiteral("button3"))->text(), QStringLiteral("Cancel"));
    EXPECT_TRUE(dialog.isModal());
    dialog.showWarning(QStringLiteral("x"));
    EXPECT_FALSE(dialog.findChild<QLabel*>(QStringLiteral("textWarning"))->isHidden());

    about box;
    EXPECT_EQ(box.windowTitle(), QStringLiteral("About Brixo"));
    EXPECT_EQ(box.size(), QSize(300, 100));
    EXPECT_EQ(box.findChild<QLabel*>(QStringLiteral("nameLabel"))->text(), QStringLiteral("Brixo 1.1"));
    EXPECT_FALSE(box.findChild<QLabel*>(QStringLiteral("pictureLabel"))->pixmap(Qt::ReturnByValue).isNull());
}

} // namespace
