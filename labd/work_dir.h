// brixo-labd's work directories: one per served design, named brixo-labd-PID-XXXXXX in TMPDIR
// (or /tmp), so that a server that starts can tell the ones whose server died (killed, or the
// machine lost power) from those of servers still running, and remove them.
#pragma once
#include <string>

namespace labd {

// The folder work directories go in.
std::string workDirParent();
// Makes a new work directory in `parent`; its path, or empty (errno says why).
std::string makeWorkDir(const std::string &parent);
// Removes the work directories in `parent` that are ours (our user's, a real folder) and whose
// server is gone: no process of that number, or one that is no brixo-labd. Returns how many.
int removeStaleWorkDirs(const std::string &parent);

// Whether the disk holding `dir` has (next to) no room left: tools that lose a write to a full
// disk do not always say so (iverilog leaves half its output and ends well).
bool diskFull(const std::string &dir);

// Writes `bytes` as a new file only its owner reads (mode 0600, never through a symlink);
// `replace` truncates one that exists, else it must not exist. 0, or the errno that stopped it.
int writePrivateFile(const std::string &path, const std::string &bytes, bool replace);

} // namespace labd
