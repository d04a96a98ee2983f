// A student's own simulated board on the lab server: their uploaded files written to a work
// directory of their own and served by a single-design brixo-labd in the sandbox, on loopback;
// the driver steps it through the step route. It ends with the driver.
#pragma once
#include "board_driver.h"

#include <memory>
#include <string>
#include <vector>

namespace labd {

// Bounds on an upload; anything past them is refused before a file is written.
constexpr std::size_t kUploadFileLimit = 32;
constexpr std::size_t kUploadFileBytes = 256 * 1024;
constexpr std::size_t kUploadBytes = 1024 * 1024;

// Plain names only (no directory, no dot first), ending in .v or .sv; false with the reason.
bool validUploadName(const std::string &name, std::string &why);

// Builds and starts the design; null when it does not build or start, with its messages about
// the student's files and a one-line reason.
std::unique_ptr<BoardDriver> startStudentBoard(const DesignUpload &design, const std::string &program,
                                               std::vector<DesignMessage> &messages, std::string &error);

} // namespace labd
