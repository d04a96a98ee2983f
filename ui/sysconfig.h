#pragma once
// config.json / Language.json: the remembered settings (the interface language, the remote-lab
// server, per-design options).
#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

namespace sysconfig {
// Directory and file name joined with the platform's separator rules.
QString joinPath(const QString& dir, const QString& name);
// The file start-up reads: config.json in appDir if it exists, else Language.json in userDir.
QString languageFile(const QString& appDir, const QString& userDir);
// True when the file opens, parses and its "language" is "chinese" in any letter case.
bool selectsChinese(const QString& file);
// The same test on the file's bytes.
bool bytesSelectChinese(const QByteArray& bytes);
// Sets "language" to value, keeping the file's other settings; false when it cannot be written.
bool writeLanguage(const QString& file, const QString& value);
// The file's JSON object; empty when it is missing or not an object.
QJsonObject readObject(const QString& file);
// Sets one member and writes the file whole, keeping the others. A file created here takes
// the language of `fallbackFile` (Language.json) so that it does not silently change the
// language start-up would have chosen. False when the file cannot be written.
bool writeValue(const QString& file, const QString& key, const QJsonValue& value,
                const QString& fallbackFile = QString());
// config.json beside the program.
QString defaultConfigFile();
// Language.json in the user's configuration directory.
QString userLanguageFile();
}
