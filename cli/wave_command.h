// `brixo-cli wave FILE.vcd --svg OUT.svg [--png OUT.png] [--signals LIST]`: a recording's
// timing diagram for a report. The PNG is the SVG rendered by rsvg-convert.
#pragma once
#include "options.h"

namespace cli {

int waveCommand(const Options &options);

} // namespace cli
