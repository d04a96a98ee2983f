// A design's top-module candidates straight from its files, for a front end that lets the
// student choose one before anything is compiled. The files are read as they are: directives are
// skipped, not expanded, so a design whose ports hang on macros may list nothing; the server,
// which preprocesses, still decides.
#pragma once
#include <string>
#include <vector>

namespace labd {

// What one file may hold to be read here; a larger one lists nothing.
constexpr unsigned long kMaxListedFileBytes = 8ul << 20;

// The modules of the files that no other module instantiates, in the files' order. False with a
// message naming the file or the module when a file cannot be read or its modules not made out.
bool readTopCandidates(const std::vector<std::string> &files, std::vector<std::string> &tops, std::string &error);

} // namespace labd
