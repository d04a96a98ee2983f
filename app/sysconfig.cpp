#include "app/sysconfig.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace sysconfig {

QString joinPath(const QString& dir, const QString& name)
{
    return QDir(dir).filePath(name);
}

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

bool writeLanguage(const QString& file, const QString& value)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadWrite | QIODevice::Truncate | QIODevice::Text))
        return false;
    QJsonObject o;
    o.insert(QStringLiteral("language"), value);
    const QByteArray bytes = QJsonDocument(o).toJson(QJsonDocument::Indented);
    return f.write(bytes) == bytes.size() && f.flush();
}

}
