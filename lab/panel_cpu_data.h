// How many bits of CPU data a board's panel shows: the sum of its data displays' widths, read
// from the .jvp as the program reads it. The lab server reads that many at every step.
#pragma once
#include <string>

namespace lab {

// 0 for a panel with no data displays or one that is not a panel; -1 when a display has a
// negative width or the whole does not fit the board's CPU data register (the program refuses
// to read such a panel's data, and so does the server).
int panelCpuDataBits(const std::string &jvpText);

} // namespace lab
