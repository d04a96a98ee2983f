// The interface language: the English catalogue on the window's menus, the start-up choice of
// file, and the language command that rewrites config.json and restarts.
#include "app/mainwindow.h"
#include "board/runmode.h"
#include "panel/designer.h"
#include "panel/designtoolbox.h"
#include "ui/messagebox.h"
#include "ui/sysconfig.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTranslator>
#include <gtest/gtest.h>

namespace {
QStringList started;
QList<QStringList> startedWith;

bool recordStart(const QString& program, const QStringList& arguments)
{
    started << program;
    startedWith << arguments;
    return true;
}

QJsonObject readJson(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(f.readAll()).object();
}

struct Language : ::testing::Test {
    QTemporaryDir dir;
    MainWindow w;
    QString config() const { return sysconfig::joinPath(dir.path(), "config.json"); }
    void SetUp() override
    {
        started.clear();
        startedWith.clear();
        MessageBox::clearShown();
        w.configDirectory = dir.path();
        w.startDetached = recordStart;
    }
};
}

TEST(EnglishCatalogue, MenusItemsAndToolboxAreEnglish)
{
    Q_INIT_RESOURCE(translations);
    QTranslator translator;
    ASSERT_TRUE(translator.load(QStringLiteral(":/trans/english")));
    QApplication::installTranslator(&translator);
    {
        MainWindow w;
        QStringList menus;
        for (QAction* a : w.menuBar()->actions())
            menus << a->text();
        EXPECT_EQ(menus, QStringList({"&Board", "&Mode", "De&sign", "&Help"}));
        EXPECT_EQ(w.findChild<QAction*>(QStringLiteral("openAction"))->text(), "&Open Virtual Panel");
        EXPECT_EQ(w.findChild<QAction*>(QStringLiteral("configureFpgaAction"))->text(), "Confi&gure FPGA");
        EXPECT_EQ(w.findChild<QAction*>(QStringLiteral("designAction"))->text(), "Virtual Panel &Design");
        EXPECT_EQ(w.findChild<QAction*>(QStringLiteral("languageAction"))->text(), "Change &Language to 中文");
        EXPECT_EQ(w.findChild<QAction*>(QStringLiteral("aboutAction"))->text(), "&About Brixo");
        EXPECT_EQ(w.findChild<QAction*>(QStringLiteral("newAction"))->text(), "&New Virtual Panel");
        EXPECT_EQ(w.findChild<QAction*>(QStringLiteral("autoRefreshAction"))->text(), "&Auto Refresh");
        EXPECT_EQ(w.designer()->toolbox()->windowTitle(), "Design Toolbox");
        EXPECT_EQ(w.runMode()->countdownLabel()->text(), "Auto refresh ends in 10s      ");
    }
    QApplication::removeTranslator(&translator);
}

TEST_F(Language, CommandWritesTheOppositeLanguageAndRestartsByFullPath)
{
    const struct {
        bool english;
        const char* written;
    } cases[] = {{true, "chinese"}, {false, "english"}};
    for (const auto& c : cases) {
        started.clear();
        QFile f(config());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(R"({"language":"x","window":{"w":3}})");
        f.close();
        w.setLanguage(c.english);
        MessageBox::setNextAnswer(QMessageBox::Yes);
        w.changeLanguage();
        // The other remembered settings stay.
        EXPECT_EQ(readJson(config()),
                  QJsonObject({{"language", QString::fromLatin1(c.written)}, {"window", QJsonObject({{"w", 3}})}}));
        EXPECT_EQ(started, QStringList({QCoreApplication::applicationFilePath()}));
    }
    ASSERT_FALSE(MessageBox::shown().isEmpty());
    EXPECT_EQ(MessageBox::shown().first().text, "这将会关闭程序然后重新打开，现在继续吗？");
    EXPECT_EQ(MessageBox::shown().first().icon, QMessageBox::Question);
}

TEST_F(Language, AnsweringNoChangesNothing)
{
    w.setLanguage(true);
    MessageBox::setNextAnswer(QMessageBox::No);
    w.changeLanguage();
    EXPECT_FALSE(QFile::exists(config()));
    EXPECT_TRUE(started.isEmpty());
}

TEST_F(Language, UnwritableConfigWarnsAndDoesNotRestart)
{
    w.configDirectory = dir.path() + "/missing/dir";
    w.setLanguage(true);
    MessageBox::setNextAnswer(QMessageBox::Yes);
    MessageBox::setNextAnswer(QMessageBox::Ok);
    w.changeLanguage();
    EXPECT_TRUE(started.isEmpty());
    ASSERT_EQ(MessageBox::shown().size(), 2);
    EXPECT_EQ(MessageBox::shown()[1].icon, QMessageBox::Warning);
}

TEST(StartupLanguageFile, UnreadableConfigStillHidesTheUserFile)
{
    QTemporaryDir app, user;
    QFile lang(sysconfig::joinPath(user.path(), "Language.json"));
    ASSERT_TRUE(lang.open(QIODevice::WriteOnly));
    lang.write(R"({"language":"chinese"})");
    lang.close();
    EXPECT_TRUE(sysconfig::selectsChinese(sysconfig::languageFile(app.path(), user.path())));
    // A config.json that exists but cannot be read as a file (here a directory) wins and means English.
    ASSERT_TRUE(QDir(app.path()).mkdir("config.json"));
    const QString chosen = sysconfig::languageFile(app.path(), user.path());
    EXPECT_EQ(chosen, sysconfig::joinPath(app.path(), "config.json"));
    EXPECT_FALSE(sysconfig::selectsChinese(chosen));
}
