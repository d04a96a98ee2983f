// `brixo-cli configure FILE.rbf`: the download with a progress bar on a terminal; Ctrl+C
// cancels between pieces through the library's progress callback.
#pragma once
#include "options.h"

namespace cli {

int configureCommand(const Options &options);

// The bar's line: "[#####-----]  50%  2500/5000 bytes  3 s left" (texts translated).
QString progressLine(int done, int total, long long fileBytes, double elapsedSeconds);

} // namespace cli
