// `brixo-labd lab --config lab.json [--allow-plain-http] [--log]`: the lab server for a class.
// It serves this lab PC's boards (one adapter process each) and students' simulated boards on
// the lab API until SIGTERM or SIGINT, then ends the downloads, closes the boards and exits.
#pragma once
#include <string>
#include <vector>

namespace labd {

// `args` after "lab"; the exit status.
int runLabMode(const std::vector<std::string> &args);

} // namespace labd
