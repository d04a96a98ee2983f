// The English catalogue against the sources: every text the program translates has a finished
// English text, Chinese texts reach the screen only through the translator, and a menu item's
// access key is the same letter in both languages.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

namespace {

const QString kSources = QStringLiteral(BRIXO_SOURCE_DIR);
const QString kCatalogue = kSources + QStringLiteral("/resources/translations/english.ts");
const QStringList kProgramDirs{QStringLiteral("app"), QStringLiteral("panel"), QStringLiteral("board"),
                               QStringLiteral("ui"), QStringLiteral("cli")};

struct Message {
    QString context, source, translation;
    bool finished;
};

QVector<Message> readCatalogue(const QString& file)
{
    QVector<Message> all;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return all;
    QXmlStreamReader xml(&f);
    QString context;
    Message m;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (xml.name() == QLatin1String("source")) {
            m = {context, xml.readElementText(), QString(), false};
        } else if (xml.name() == QLatin1String("translation")) {
            const QString type = xml.attributes().value(QStringLiteral("type")).toString();
            m.translation = xml.readElementText();
            m.finished = type.isEmpty() && !m.translation.isEmpty();
            all.append(m);
        }
    }
    EXPECT_FALSE(xml.hasError()) << file.toStdString() << ": " << xml.errorString().toStdString();
    return all;
}

// The letter after a single '&' ("&&" is a literal ampersand), lower-cased; null without one.
QChar accessKey(const QString& text)
{
    for (int i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != QLatin1Char('&'))
            continue;
        if (text[i + 1] != QLatin1Char('&'))
            return text[i + 1].toLower();
        ++i;
    }
    return QChar();
}

// Source text with comments blanked, so quoted words in comments are not taken for literals.
QString codeOf(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    QString s = QString::fromUtf8(f.readAll());
    for (int i = 0; i < s.size(); ++i) {
        if (s[i] == QLatin1Char('"') || s[i] == QLatin1Char('\'')) {
            const QChar quote = s[i];
            for (++i; i < s.size() && s[i] != quote; ++i)
                if (s[i] == QLatin1Char('\\'))
                    ++i;
        } else if (s.midRef(i, 2) == QLatin1String("//")) {
            for (; i < s.size() && s[i] != QLatin1Char('\n'); ++i)
                s[i] = QLatin1Char(' ');
        } else if (s.midRef(i, 2) == QLatin1String("/*")) {
            const int end = s.indexOf(QLatin1String("*/"), i + 2);
            const int stop = end < 0 ? s.size() : end + 2;
            for (; i < stop; ++i)
                if (s[i] != QLatin1Char('\n'))
                    s[i] = QLatin1Char(' ');
        }
    }
    return s;
}

} // namespace

TEST(EnglishCatalogue, EveryTranslatedTextOfTheProgramHasAFinishedEnglishText)
{
    // lupdate finds the texts and their contexts as the translator will look them up, so a text
    // that moved to another class shows up here as missing.
    QTemporaryDir dir;
    const QString merged = dir.filePath(QStringLiteral("merged.ts"));
    ASSERT_TRUE(QFile::copy(kCatalogue, merged));
    QProcess lupdate;
    lupdate.setWorkingDirectory(kSources);
    QStringList args{QStringLiteral("-locations"), QStringLiteral("none"), QStringLiteral("-no-obsolete"),
                     QStringLiteral("-extensions"), QStringLiteral("cpp,h")};
    args << kProgramDirs << QStringLiteral("-ts") << merged;
    lupdate.start(QStringLiteral(BRIXO_LUPDATE), args);
    ASSERT_TRUE(lupdate.waitForFinished(120000)) << "lupdate did not finish";
    ASSERT_EQ(lupdate.exitCode(), 0) << lupdate.readAllStandardError().toStdString();

    const QVector<Message> messages = readCatalogue(merged);
    EXPECT_GT(messages.size(), 100);
    for (const Message& m : messages)
        EXPECT_TRUE(m.finished) << "no English text in context " << m.context.toStdString() << " for \""
                                << m.source.toStdString() << "\"";
}

TEST(EnglishCatalogue, ChineseTextsReachTheScreenOnlyThroughTheTranslator)
{
    // The language question names both languages in each interface, so it is never translated.
    const QStringList bilingual{QStringLiteral("这将会关闭程序然后重新打开，现在继续吗？")};
    const QRegularExpression literal(QStringLiteral(R"re("((?:[^"\\\n]|\\.)*)")re"));
    const QRegularExpression chinese(QStringLiteral("[\\x{4e00}-\\x{9fff}\\x{3000}-\\x{303f}\\x{ff00}-\\x{ffef}]"));
    const QRegularExpression translated(QStringLiteral(
        R"re((?:\btr|\bQT_TR_NOOP|(?:\bQT_TRANSLATE_NOOP|\btranslate)\s*\(\s*"[^"]*"\s*,)\s*\(?\s*$)re"));
    int files = 0;
    for (const QString& sub : kProgramDirs) {
        QDirIterator it(kSources + QLatin1Char('/') + sub, {QStringLiteral("*.cpp"), QStringLiteral("*.h")},
                        QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString file = it.next();
            ++files;
            const QString code = codeOf(file);
            for (auto m = literal.globalMatch(code); m.hasNext();) {
                const auto match = m.next();
                if (!match.captured(1).contains(chinese) || bilingual.contains(match.captured(1)))
                    continue;
                const QString before =
                    code.mid(std::max(0, match.capturedStart() - 120), std::min(120, match.capturedStart()));
                EXPECT_TRUE(before.contains(translated))
                    << QDir(kSources).relativeFilePath(file).toStdString() << ": \"" << match.captured(1).toStdString()
                    << "\" is shown without the translator";
            }
        }
    }
    EXPECT_GT(files, 20);
}

TEST(EnglishCatalogue, AccessKeysAreTheSameLetterInBothLanguages)
{
    const QVector<Message> messages = readCatalogue(kCatalogue);
    int withKey = 0;
    for (const Message& m : messages) {
        if (!accessKey(m.source).isNull())
            ++withKey;
        EXPECT_EQ(accessKey(m.source), accessKey(m.translation))
            << m.context.toStdString() << ": \"" << m.source.toStdString() << "\" -> \"" << m.translation.toStdString()
            << "\"";
    }
    EXPECT_GE(withKey, 15); // every menu and menu item with a key
}
