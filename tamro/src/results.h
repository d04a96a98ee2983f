#pragma once

namespace tamro {

// Shows the box for `code` when boxes are on, then returns `code` unchanged.
int reportResult(int code);
// The text of a code that has one, else null.
const char *resultText(int code);

} // namespace tamro
