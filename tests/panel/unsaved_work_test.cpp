// Nothing the user made is lost silently: unreadable files leave the open panel alone, and
// designer changes are asked about before anything discards them.
#include "ui/filedialog.h"
#include "app/mainwindow.h"
#include "ui/messagebox.h"
#include "board/runmode.h"
#include "board/virtualcomponentdata.h"
#include "panel/brixolineedit.h"
#include "panel/panelfiles.h"
#include "panel/panelmodel.h"
#include "tests/support/file_bytes.h"

#include <QAction>
#include <QDialog>
#include <QFile>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

QStringList restartArguments;
int restarts = 0;
int settingsDialogs = 0;
bool recordRestart(const QString&, const QStringList& arguments)
{
    ++restarts;
    restartArguments = arguments;
    return true;
}

QAction* action(const MainWindow& w, const char* name) { return w.findChild<QAction*>(QString::fromLatin1(name)); }

void enterDesign(MainWindow& w)
{
    action(w, "designAction")->setChecked(true);
    w.turnDesign(true);
}

struct Work : ::testing::Test {
    QTemporaryDir dir;
    QString good;

    QString path(const QString& name) const { return dir.filePath(name); }
    void SetUp() override
    {
        MessageBox::clearShown();
        FileDialog::clearAsked();
        restarts = 0;
        restartArguments.clear();
        settingsDialogs = 0;
        // A saved panel with two switches and a key placed; it simulates with no board.
        MainWindow maker;
        maker.settingCtlNumber(4, 1, 0, 0, 0);
        maker.createCtl();
        maker.panel()->setExperiment(QStringLiteral("KVTRM1502"));
        maker.panel()->keyButtons()[0]->show();
        maker.panel()->keyButtons()[0]->move(100, 20);
        for (int i : {0, 1}) {
            maker.panel()->switchButtons()[i]->show();
            maker.panel()->switchButtons()[i]->move(10 + 30 * i, 20);
        }
        good = path("good.jvp");
        maker.saveByjson(good);
        ASSERT_TRUE(QFile::exists(good));
    }
    static void open(MainWindow& w, const QString& file)
    {
        FileDialog::setNextAnswer(file);
        w.judgeModel();
    }
    static QStringList placed(const MainWindow& w)
    {
        QStringList out;
        for (const QPushButton* b : w.panel()->switchButtons())
            if (!b->isHidden())
                out << b->objectName() + QStringLiteral("@%1,%2").arg(b->x()).arg(b->y());
        return out;
    }
};

} // namespace

TEST_F(Work, UnreadableFilesAreRefusedAndSaveKeepsTheirBytes)
{
    const QByteArray whole = readAll(good);
    struct Case {
        const char* name;
        QByteArray bytes;
        const char* reason;
    };
    const Case cases[] = {
        {"notjson.jvp", "this is not a panel", "不是完整的 JSON 文本"},
        {"array.jvp", "[1, 2, 3]", "顶层不是 JSON 对象"},
        {"truncated.jvp", whole.left(whole.size() / 2), "不是完整的 JSON 文本"},
        {"picture.jvp", R"({"backgroundImage":"data:image/png;base64,iVBORw0KGgoAAAANSUhEUgAAAAEAAAAB",
            "components":[{"type":"switch","index":3}]})",
         "背景图片无法解码"},
        {"panel.txt", whole, "不是虚拟面板文件"},
        {"upper.JVP", whole, "不是虚拟面板文件"},
        {"missing.vp2", QByteArray(), "文件无法打开"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = path(QString::fromLatin1(c.name));
        if (!QLatin1String(c.name).startsWith(QLatin1String("missing")))
            writeAll(file, c.bytes);
        MainWindow w;
        open(w, good);
        const QStringList before = placed(w);
        ASSERT_EQ(before.size(), 2);
        MessageBox::clearShown();
        FileDialog::clearAsked();
        MessageBox::setNextAnswer(QMessageBox::Ok);
        open(w, file);
        ASSERT_EQ(MessageBox::shown().size(), 1);
        EXPECT_TRUE(MessageBox::shown()[0].text.contains(file));
        EXPECT_TRUE(MessageBox::shown()[0].text.contains(QString::fromUtf8(c.reason)));
        EXPECT_EQ(placed(w), before);
        EXPECT_EQ(w.files()->filePath(), good);
        // The habitual Save right after writes the panel that is open, where it came from.
        action(w, "saveAction")->trigger();
        EXPECT_EQ(FileDialog::asked().size(), 1); // only the Open above
        EXPECT_EQ(readAll(file), c.bytes);
        EXPECT_EQ(readAll(good), whole);
    }
}

TEST_F(Work, OnlyDesignerChangesCountAsUnsaved)
{
    using Step = std::function<void(MainWindow&)>;
    const auto space = [](QWidget* target) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
        QApplication::sendEvent(target, &press);
    };
    struct Case {
        const char* name;
        bool design;
        Step step;
        bool modified;
    };
    const Case cases[] = {
        {"run-mode switch click", false,
         [](MainWindow& w) {
             w.turnSimulation(true);
             QTest::mouseClick(w.panel()->switchButtons()[0], Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
             EXPECT_NE(w.runMode()->boardData()->switchValue(0), 0);
         },
         false},
        {"run-mode key press", false,
         [](MainWindow& w) {
             w.turnSimulation(true);
             QTest::mouseClick(w.panel()->keyButtons()[0], Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
         },
         false},
        {"click without a move", true,
         [](MainWindow& w) {
             QTest::mouseClick(w.panel()->switchButtons()[0], Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
         },
         false},
        {"place from the list", true, [](MainWindow& w) { w.addoneSwitch(4); }, true},
        {"drag", true,
         [](MainWindow& w) {
             QPushButton* b = w.panel()->switchButtons()[0];
             QTest::mousePress(b, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
             QMouseEvent move(QEvent::MouseMove, QPoint(13, 8), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
             QApplication::sendEvent(b, &move);
             QTest::mouseRelease(b, Qt::LeftButton, Qt::NoModifier, QPoint(13, 8));
         },
         true},
        {"rotate", true,
         [space](MainWindow& w) {
             QPushButton* sw = w.panel()->switchButtons()[1];
             sw->setStyleSheet(QStringLiteral("QWidget { background-color:gray; }"));
             w.returnKey(1);
             space(sw);
         },
         true},
        {"add a label and type", true,
         [](MainWindow& w) {
             w.addText();
             w.panel()->setModified(false);
             QTest::keyClicks(w.panel()->textLabels().last(), QStringLiteral("A"));
         },
         true},
        {"remove", true, [](MainWindow& w) { w.removingCtl(w.panel()->switchButtons()[1]); }, true},
        {"digit size", true, [](MainWindow& w) { w.changeCTLSize(9); }, true},
        {"change then save", true,
         [](MainWindow& w) {
             w.addoneSwitch(4);
             action(w, "saveAction")->trigger();
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MainWindow w;
        if (c.design)
            enterDesign(w);
        open(w, good);
        ASSERT_FALSE(w.panel()->isModified());
        c.step(w);
        EXPECT_EQ(w.panel()->isModified(), c.modified);
    }
    EXPECT_TRUE(MessageBox::shown().isEmpty());
}

TEST_F(Work, EveryWayOfDiscardingAsksFirst)
{
    struct Trigger {
        const char* name;
        std::function<void(MainWindow&)> run;
        std::function<bool(MainWindow&)> went;
    };
    const Trigger triggers[] = {
        {"exit", [](MainWindow& w) { action(w, "exitAction")->trigger(); },
         [](MainWindow& w) { return !w.isVisible(); }},
        {"close button", [](MainWindow& w) { w.close(); }, [](MainWindow& w) { return !w.isVisible(); }},
        {"new",
         [](MainWindow& w) {
             MessageBox::setNextDialog([](QDialog&) {
                 ++settingsDialogs;
                 return int(QDialog::Rejected);
             });
             w.createNewPanel();
         },
         [](MainWindow&) { return MessageBox::shown().size() == 1 && settingsDialogs == 1; }},
        {"open",
         [](MainWindow& w) {
             FileDialog::setNextAnswer(QString());
             w.judgeModel();
         },
         [](MainWindow&) { return !FileDialog::hasQueuedAnswer(); }},
        {"language", [](MainWindow& w) { w.changeLanguage(); }, [](MainWindow&) { return restarts == 1; }},
    };
    const QMessageBox::StandardButton answers[] = {QMessageBox::Cancel, QMessageBox::Discard, QMessageBox::Save};
    for (const Trigger& t : triggers) {
        for (QMessageBox::StandardButton answer : answers) {
            SCOPED_TRACE(std::string(t.name) + " / " + std::to_string(int(answer)));
            const QByteArray original = readAll(good);
            MainWindow w;
            w.configDirectory = dir.path();
            w.startDetached = recordRestart;
            restarts = 0;
            settingsDialogs = 0;
            open(w, good);
            enterDesign(w);
            w.addoneSwitch(4); // switch 3 put on the panel, not saved
            MessageBox::clearShown();
            FileDialog::clearAsked();
            if (QLatin1String(t.name) == QLatin1String("language"))
                MessageBox::setNextAnswer(QMessageBox::Yes); // the restart question comes first
            MessageBox::setNextAnswer(answer);
            t.run(w);
            const QList<MessageBox::Shown>& shown = MessageBox::shown();
            ASSERT_FALSE(shown.isEmpty());
            EXPECT_EQ(shown.last().text, QStringLiteral("是否保存对 good.jvp 的更改？"));
            const bool proceeded = answer != QMessageBox::Cancel;
            if (answer == QMessageBox::Cancel) {
                // Nothing happened: the window, the panel and the file are as they were.
                EXPECT_TRUE(w.isVisible());
                EXPECT_TRUE(w.panel()->isModified());
                EXPECT_FALSE(w.panel()->switchButtons()[3]->isHidden());
                EXPECT_EQ(restarts, 0);
                // Drain what the trigger queued and the cancelled question left unused.
                if (FileDialog::hasQueuedAnswer())
                    FileDialog::getOpenFileName(nullptr, QString(), QString(), QString());
                if (QLatin1String(t.name) == QLatin1String("new")) {
                    QDialog d;
                    MessageBox::execDialog(d);
                }
            } else {
                EXPECT_TRUE(t.went(w));
            }
            // Save wrote the change into the panel's file before going on; the others did not.
            EXPECT_EQ(readAll(good) != original, answer == QMessageBox::Save);
            if (QLatin1String(t.name) == QLatin1String("language") && proceeded) {
                EXPECT_EQ(restartArguments, QStringList{good});
            }
            writeAll(good, original);
        }
    }
}
