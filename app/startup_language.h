#pragma once
// The interface language chosen at start-up and the catalogues that carry it.
#include <QString>
#include <QTranslator>

namespace startup {

// Installed catalogues stay in force while this lives; a QTranslator uninstalls itself when it goes.
struct Catalogues {
    QTranslator english;
    QTranslator toolkit;
};

// English unless languageFile selects Chinese. Chinese also gets the toolkit's own catalogue, so
// standard buttons and the file dialog speak the same language as the rest. dllLanguage hears 1
// when the English catalogue loads and 0 when Chinese is chosen, in that order. True when English.
bool installLanguage(Catalogues& catalogues, const QString& languageFile, int (*dllLanguage)(int));

// The system's Qt translation file for Chinese; false when it is not installed.
bool loadToolkitChinese(QTranslator& translator);

}
