// Start-up language: the program's catalogue, the lab library's language, and the toolkit's own
// texts (standard buttons, file dialog) all follow the one choice in config.json.
#include "app/startup_language.h"
#include "ui/sysconfig.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QLibraryInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
std::vector<int> dllCalls;
int recordDllLanguage(int language)
{
    dllCalls.push_back(language);
    return 0;
}
}

TEST(StartupLanguage, ProgramLibraryAndToolkitTextsFollowTheChoice)
{
    Q_INIT_RESOURCE(translations);
    if (!QFile::exists(QLibraryInfo::location(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_zh_CN.qm")))
        GTEST_SKIP() << "the system's Qt Chinese catalogue is not installed";
    QTemporaryDir dir;
    const QString config = sysconfig::joinPath(dir.path(), QStringLiteral("config.json"));
    const struct {
        const char* language;
        bool english;
        std::vector<int> dll;
        const char* board;
        const char* ok;
        const char* cancel;
    } cases[] = {
        {"chinese", false, {1, 0}, "实验板(&B)", "确定", "取消"},
        {"english", true, {1}, "&Board", "OK", "Cancel"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.language);
        ASSERT_TRUE(sysconfig::writeLanguage(config, QString::fromLatin1(c.language)));
        dllCalls.clear();
        startup::Catalogues catalogues;
        EXPECT_EQ(startup::installLanguage(catalogues, config, recordDllLanguage), c.english);
        EXPECT_EQ(dllCalls, c.dll);
        EXPECT_EQ(QCoreApplication::translate("MainWindow", "实验板(&B)"), QString::fromUtf8(c.board));
        QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        EXPECT_EQ(box.button(QDialogButtonBox::Ok)->text().remove(QLatin1Char('&')), QString::fromUtf8(c.ok));
        EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text().remove(QLatin1Char('&')), QString::fromUtf8(c.cancel));
    }
}
