// brixo-cli's words: its own texts are in the translation context "cli" (where lupdate files
// them), the program's texts for library result codes, and the language chosen by the locale
// environment.
#pragma once
#include <QString>

#include <string>

class QTranslator;

namespace cli {

// True (and the English catalogue installed into `translator`) unless LC_ALL, LC_MESSAGES
// or LANG, the first one set, names Chinese.
bool installLanguage(QTranslator &translator);

// The program's text for a failing result code, with its code line: one line.
QString libraryFailureText(int code);
// The same for a failed board step, with the board's own words after it when it gave any.
QString boardFailureText(int code, const std::string &message);

} // namespace cli
