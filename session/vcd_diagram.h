// A timing diagram of chosen signals of a value change dump, as SVG for lab reports: buses as
// hexadecimal values between their transitions, single bits as lines, time on the axis below.
// Black on white with grey only for unknown values, so that it prints in black and white.
#pragma once
#include "vcd_reader.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace brixo {

struct DiagramTrace {
    std::string label;
    int width = 1;
    // Each value from its time on, most significant bit first; no two neighbours equal.
    std::vector<std::pair<std::uint64_t, std::string>> values;
};

// The signals `names` names, separated by commas: a name ("hex0", "board.sw"), or a part of one
// ("sw[3:0]", "ledr[4]", in the signal's own numbering). An empty list takes every signal.
bool diagramTraces(const VcdData &data, const std::string &names, std::vector<DiagramTrace> &traces,
                   std::string &error);

// Where things are drawn, in SVG user units (pixels when rendered at 96 dpi).
struct DiagramLayout {
    static constexpr double kPlotLeft = 140, kPlotWidth = 840, kRight = 20;
    static constexpr double kTop = 12, kRowHeight = 34, kTraceHeight = 20, kAxisHeight = 40;
    std::uint64_t from = 0, to = 1; // the time at the plot's left and right edges
    double x(std::uint64_t t) const { return kPlotLeft + double(t - from) * kPlotWidth / double(to - from); }
    // Trace i's high level; its low level is kTraceHeight below.
    static double high(int i) { return kTop + i * kRowHeight + (kRowHeight - kTraceHeight) / 2; }
    static double width() { return kPlotLeft + kPlotWidth + kRight; }
    static double height(int traces) { return kTop + traces * kRowHeight + kAxisHeight; }
};
// The whole recording, with a little room after its last time so that the last values show.
DiagramLayout diagramLayout(const VcdData &data);

std::string timingDiagramSvg(const VcdData &data, const std::vector<DiagramTrace> &traces);

} // namespace brixo
