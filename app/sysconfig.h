#pragma once
// config.json / Language.json: the one remembered setting, the interface language.
#include <QByteArray>
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
// Writes {"language": value} whole; false when the file cannot be written.
bool writeLanguage(const QString& file, const QString& value);
}
