#pragma once
#include <cstddef>
#include <cstdint>

namespace tamro {

// Largest output and input report of a HID report descriptor, in bytes including the
// report-ID byte (as HID capability values count it). A kind without reports gives 0.
struct ReportLengths {
    int output = 0;
    int input = 0;
};
ReportLengths parseReportDescriptor(const uint8_t *descriptor, size_t length);

} // namespace tamro
