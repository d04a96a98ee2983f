#include "cli_texts.h"

#include "error_texts.h"

#include <QCoreApplication>
#include <QTranslator>

#include <cstdlib>
#include <cstring>

// Outside any namespace: the macro declares the resource's initialiser where it stands.
static void loadCatalogue() { Q_INIT_RESOURCE(translations); }

namespace cli {

bool installLanguage(QTranslator &translator)
{
    const char *locale = nullptr;
    for (const char *name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        locale = std::getenv(name);
        if (locale && *locale)
            break;
    }
    if (locale && std::strncmp(locale, "zh", 2) == 0)
        return false;
    loadCatalogue();
    if (translator.load(QStringLiteral(":/trans/english")))
        QCoreApplication::installTranslator(&translator);
    return true;
}

QString libraryFailureText(int code)
{
    const char *source = board::errorSourceText(code);
    QString text = source ? QCoreApplication::translate(board::kErrorContext, source) : QString();
    if (board::errorShowsCode(code))
        text += QLatin1Char(' ') + QCoreApplication::translate(board::kErrorContext, board::kErrorCodeLine).arg(code);
    return text;
}

QString boardFailureText(int code, const std::string &message)
{
    const QString text = libraryFailureText(code);
    if (message.empty())
        return text;
    // The server's words stay on the one line, and short.
    constexpr int kMessageChars = 300;
    QString words = QString::fromStdString(message).left(kMessageChars);
    for (QChar &c : words)
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    return text + QStringLiteral(" (") + words.trimmed() + QLatin1Char(')');
}

} // namespace cli
