#include "app/sysconfig.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
void put(const QString& file, const QByteArray& bytes)
{
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}
}

TEST(SysConfig, LanguageValues)
{
    QTemporaryDir dir;
    const QString file = sysconfig::joinPath(dir.path(), "config.json");
    const struct { QByteArray bytes; bool chinese; } cases[] = {
        {R"({"language":"chinese"})", true}, {R"({"language":"ChInEsE"})", true},
        {R"({"language":"english"})", false}, {R"({"language":7})", false},
        {"{}", false}, {"not json", false}, {"[\"chinese\"]", false},
    };
    for (const auto& c : cases) {
        put(file, c.bytes);
        EXPECT_EQ(sysconfig::selectsChinese(file), c.chinese) << c.bytes.constData();
    }
    EXPECT_FALSE(sysconfig::selectsChinese(sysconfig::joinPath(dir.path(), "missing.json")));
}

TEST(SysConfig, ConfigBesideProgramWinsOverUserFile)
{
    QTemporaryDir app, user;
    put(sysconfig::joinPath(user.path(), "Language.json"), R"({"language":"chinese"})");
    EXPECT_EQ(sysconfig::languageFile(app.path(), user.path()), user.path() + "/Language.json");
    put(sysconfig::joinPath(app.path(), "config.json"), "{}");
    EXPECT_EQ(sysconfig::languageFile(app.path(), user.path()), app.path() + "/config.json");
}

TEST(SysConfig, WriteHoldsOnlyLanguageAndReportsFailure)
{
    QTemporaryDir dir;
    const QString file = sysconfig::joinPath(dir.path(), "config.json");
    put(file, R"({"language":"english","other":1})");
    ASSERT_TRUE(sysconfig::writeLanguage(file, "chinese"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.contains("\"chinese\""));
    EXPECT_FALSE(bytes.contains("other"));
    EXPECT_FALSE(sysconfig::writeLanguage(sysconfig::joinPath(dir.path(), "no/such/dir/config.json"), "english"));
}
