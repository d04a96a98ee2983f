// brixo-cli's words: its own texts in the translation context "cli" (its namespace, where lupdate
// files them), the program's texts for library result codes, and the language chosen by the
// locale environment.
#pragma once
#include <QString>

class QTranslator;

namespace cli {

QString tr(const char *source);

// True (and the English catalogue installed into `translator`) unless LC_ALL, LC_MESSAGES
// or LANG, the first one set, names Chinese.
bool installLanguage(QTranslator &translator);

// The program's text for a failing result code, with its code line: one line.
QString libraryFailureText(int code);

} // namespace cli
