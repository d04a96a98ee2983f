#include "ui/sysconfig.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

namespace sysconfig {

QString joinPath(const QString& dir, const QString& name) { return QDir(dir).filePath(name); }

QString languageFile(const QString& appDir, const QString& userDir)
{
    const QString config = joinPath(appDir, QStringLiteral("config.json"));
    if (QFile::exists(config))
        return config;
    return joinPath(userDir, QStringLiteral("Language.json"));
}

bool selectsChinese(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    return bytesSelectChinese(f.readAll());
}

bool bytesSelectChinese(const QByteArray& bytes)
{
    QJsonParseError err;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &err);
    if (err.error != QJsonParseError::NoError || doc.isNull() || !doc.isObject())
        return false;
    return doc.object().value(QStringLiteral("language")).toString().toLower() == QLatin1String("chinese");
}

QJsonObject readObject(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return QJsonObject();
    return QJsonDocument::fromJson(f.readAll()).object();
}

bool writeValue(const QString& file, const QString& key, const QJsonValue& value, const QString& fallbackFile)
{
    QJsonObject o = readObject(file);
    if (!QFile::exists(file) && !fallbackFile.isEmpty()) {
        const QJsonValue language = readObject(fallbackFile).value(QStringLiteral("language"));
        if (!language.isUndefined())
            o.insert(QStringLiteral("language"), language);
    }
    o.insert(key, value);
    QFile f(file);
    if (!f.open(QIODevice::ReadWrite | QIODevice::Truncate | QIODevice::Text))
        return false;
    const QByteArray bytes = QJsonDocument(o).toJson(QJsonDocument::Indented);
    return f.write(bytes) == bytes.size() && f.flush();
}

bool writeLanguage(const QString& file, const QString& value)
{
    return writeValue(file, QStringLiteral("language"), value);
}

QString userLanguageFile()
{
    return joinPath(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation),
                    QStringLiteral("Language.json"));
}

QString defaultConfigFile() { return joinPath(QCoreApplication::applicationDirPath(), QStringLiteral("config.json")); }

}
