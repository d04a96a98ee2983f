// The program's own texts for library result codes, as untranslated source
// strings of the translation context "ErrorMessage".
#pragma once

namespace board {

constexpr const char *kErrorContext = "ErrorMessage";
extern const char *const kErrorTitle;    // window title of the box
extern const char *const kErrorCodeLine; // informative line, %1 = code

// Source text for code; nullptr for 0 (nothing is shown). Unknown codes get
// the unknown-error text.
const char *errorSourceText(int code);

// Negative codes carry the code line in the box.
inline bool errorShowsCode(int code) { return code < 0; }

// What showResult hands back to its caller (ignoring the connect dialog for
// -5): 0 for 0 and positive codes, the code itself otherwise.
inline int errorResult(int code) { return code < 0 ? code : 0; }

} // namespace board
