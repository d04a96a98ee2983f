#include "ui/sysconfig.h"

#include <QFile>
#include <QJsonObject>
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
    const struct {
        QByteArray bytes;
        bool chinese;
    } cases[] = {
        {R"({"language":"chinese"})", true},
        {R"({"language":"ChInEsE"})", true},
        {R"({"language":"english"})", false},
        {R"({"language":7})", false},
        {"{}", false},
        {"not json", false},
        {"[\"chinese\"]", false},
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

TEST(SysConfig, WritesKeepOtherSettingsAndReportFailure)
{
    QTemporaryDir dir;
    const QString file = sysconfig::joinPath(dir.path(), "config.json");
    put(file, R"({"language":"english","other":1})");
    ASSERT_TRUE(sysconfig::writeLanguage(file, "chinese"));
    EXPECT_EQ(sysconfig::readObject(file), QJsonObject({{"language", "chinese"}, {"other", 1}}));
    ASSERT_TRUE(sysconfig::writeValue(file, "labServer", "h:1"));
    EXPECT_EQ(sysconfig::readObject(file), QJsonObject({{"language", "chinese"}, {"other", 1}, {"labServer", "h:1"}}));
    EXPECT_FALSE(sysconfig::writeLanguage(sysconfig::joinPath(dir.path(), "no/such/dir/config.json"), "english"));
    // A config.json created for another setting keeps the language the user file chose, since
    // start-up no longer reads the user file once config.json exists.
    const QString user = sysconfig::joinPath(dir.path(), "Language.json");
    put(user, R"({"language":"chinese"})");
    const QString fresh = sysconfig::joinPath(dir.path(), "fresh.json");
    ASSERT_TRUE(sysconfig::writeValue(fresh, "labServer", "", user));
    EXPECT_TRUE(sysconfig::selectsChinese(fresh));
}
