// "HOST:PORT" as users type it and as brixo-labd prints it, read one way everywhere.
#pragma once
#include <string>

namespace brixo {

// Splits at the last colon: a non-empty host (brackets around an IPv6 address are dropped) and a
// port of decimal digits only, 1 to 65535, or 0 too when `allowZero` (a server's "any port").
// Blanks around the text are ignored. False, leaving the outputs alone, for anything else.
bool parseHostPort(const std::string &text, std::string &host, int &port, bool allowZero = false);

} // namespace brixo
