#include "vcd_diagram.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace brixo {

namespace {

std::string trimmed(const std::string &s)
{
    const std::size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos)
        return std::string();
    return s.substr(a, s.find_last_not_of(" \t") - a + 1);
}

bool indexOf(const std::string &s, int &v)
{
    if (s.empty() || s.size() > 7 || s.find_first_not_of("-0123456789") != std::string::npos)
        return false;
    v = std::atoi(s.c_str());
    return true;
}

bool within(const VcdSignal &s, int index)
{
    return index >= std::min(s.msb, s.lsb) && index <= std::max(s.msb, s.lsb);
}

// One signal's part as a trace: positions are the characters of its values that make the part,
// most significant first.
DiagramTrace traceOf(const VcdData &data, const VcdSignal &s, const std::string &label, int msb, int lsb)
{
    DiagramTrace t;
    t.label = label;
    std::vector<std::size_t> positions;
    const int step = msb >= lsb ? -1 : 1;
    for (int k = msb;; k += step) {
        const int i = s.msb >= s.lsb ? k - s.lsb : s.lsb - k; // bit i from the least significant
        positions.push_back(std::size_t(s.width - 1 - i));
        if (k == lsb)
            break;
    }
    t.width = int(positions.size());
    for (const VcdChange &c : data.changes(s)) {
        const std::string whole = data.valueOf(s, c);
        std::string part;
        for (std::size_t p : positions)
            part += whole[p];
        if (!t.values.empty() && t.values.back().first == c.time)
            t.values.back().second = part;
        else
            t.values.emplace_back(c.time, part);
        if (t.values.size() >= 2 && t.values[t.values.size() - 2].second == t.values.back().second)
            t.values.pop_back();
    }
    return t;
}

std::string escaped(const std::string &s)
{
    std::string out;
    for (char c : s) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string num(double v)
{
    char b[32];
    std::snprintf(b, sizeof b, "%.2f", v);
    std::string s = b;
    s.erase(s.find_last_not_of('0') + 1);
    if (s.back() == '.')
        s.pop_back();
    return s;
}

std::string hexOfBits(const std::string &bits)
{
    if (bits.find_first_not_of('x') == std::string::npos)
        return "x";
    if (bits.find_first_not_of('z') == std::string::npos)
        return "z";
    std::string out;
    const std::size_t lead = bits.size() % 4;
    for (std::size_t from = 0; from < bits.size(); from += from == 0 && lead ? lead : 4) {
        const std::string nibble = bits.substr(from, from == 0 && lead ? lead : 4);
        if (nibble.find('x') != std::string::npos)
            out += 'x';
        else if (nibble.find('z') != std::string::npos)
            out += 'z';
        else
            out += "0123456789ABCDEF"[std::stoi(nibble, nullptr, 2)];
    }
    return out;
}

bool unknown(const std::string &bits) { return bits.find_first_of("xz") != std::string::npos; }

// The time in the largest unit it is at least 1 of: "250 ns", "1.5 µs".
std::string timeText(double seconds)
{
    static const std::pair<const char *, double> units[] = {{"s", 1},     {"ms", 1e-3},  {"µs", 1e-6},
                                                            {"ns", 1e-9}, {"ps", 1e-12}, {"fs", 1e-15}};
    if (seconds == 0)
        return "0";
    for (const auto &u : units)
        if (seconds >= u.second * 0.9999)
            return num(seconds / u.second) + " " + u.first;
    return num(seconds / 1e-15) + " fs";
}

constexpr double kCharWidth = 7.3; // 12 px monospace

} // namespace

bool diagramTraces(const VcdData &data, const std::string &names, std::vector<DiagramTrace> &traces, std::string &error)
{
    traces.clear();
    if (trimmed(names).empty()) {
        for (const VcdSignal &s : data.variables)
            traces.push_back(traceOf(data, s, s.label(), s.msb, s.lsb));
        return true;
    }
    std::size_t from = 0;
    while (from <= names.size()) {
        std::size_t comma = names.find(',', from);
        if (comma == std::string::npos)
            comma = names.size();
        const std::string one = trimmed(names.substr(from, comma - from));
        from = comma + 1;
        if (one.empty()) {
            error = "an empty signal name in the list";
            return false;
        }
        if (const VcdSignal *s = data.find(one)) {
            traces.push_back(traceOf(data, *s, one, s->msb, s->lsb));
            continue;
        }
        const std::size_t bracket = one.find('[');
        const VcdSignal *s = bracket == std::string::npos ? nullptr : data.find(one.substr(0, bracket));
        if (!s) {
            error = "no signal " + one.substr(0, 80) + " in the recording";
            return false;
        }
        const std::string range = one.substr(bracket);
        const std::size_t colon = range.find(':');
        int msb = 0, lsb = 0;
        const bool ok = range.size() > 2 && range.back() == ']' &&
                        indexOf(range.substr(1, std::min(colon, range.size() - 1) - 1), msb) &&
                        (colon == std::string::npos ? (lsb = msb, true)
                                                    : indexOf(range.substr(colon + 1, range.size() - colon - 2), lsb));
        if (!ok || !within(*s, msb) || !within(*s, lsb)) {
            error = one.substr(0, 80) + " is not a part of " + s->label();
            return false;
        }
        traces.push_back(traceOf(data, *s, one, msb, lsb));
    }
    return true;
}

DiagramLayout diagramLayout(const VcdData &data)
{
    DiagramLayout l;
    bool any = false;
    for (const auto &t : data.traces)
        if (!t.empty())
            l.from = any ? std::min(l.from, t.front().time) : t.front().time, any = true;
    const std::uint64_t span = std::max<std::uint64_t>(data.endTime - l.from, 1);
    l.to = data.endTime + std::max<std::uint64_t>(span / 20, 1);
    return l;
}

std::string timingDiagramSvg(const VcdData &data, const std::vector<DiagramTrace> &traces)
{
    const DiagramLayout l = diagramLayout(data);
    using L = DiagramLayout;
    const int n = int(traces.size());
    const double w = L::width(), h = L::height(n), plotRight = L::kPlotLeft + L::kPlotWidth;
    const double axisY = L::kTop + n * L::kRowHeight + 6;
    std::string o = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                    num(w) + "\" height=\"" + num(h) + "\" viewBox=\"0 0 " + num(w) + " " + num(h) +
                    "\" font-family=\"DejaVu Sans Mono, monospace\" font-size=\"12\">\n";
    o += "<rect width=\"" + num(w) + "\" height=\"" + num(h) + "\" fill=\"white\"/>\n";

    // Ticks at 1, 2 or 5 times a power of ten, about eight across.
    const double span = double(l.to - l.from);
    const double raw = std::max(span / 8, 1.0), mag = std::pow(10, std::floor(std::log10(raw)));
    const double step = raw / mag < 2 ? mag : raw / mag < 5 ? 2 * mag : 5 * mag;
    o += "<g class=\"grid\" stroke=\"#b0b0b0\" stroke-width=\"0.5\" stroke-dasharray=\"2,3\">\n";
    std::string axis = "<g class=\"axis\">\n<line x1=\"" + num(L::kPlotLeft) + "\" y1=\"" + num(axisY) + "\" x2=\"" +
                       num(plotRight) + "\" y2=\"" + num(axisY) + "\" stroke=\"black\"/>\n";
    for (double t = std::ceil(double(l.from) / step) * step; t <= double(l.to); t += step) {
        const double x = l.x(std::uint64_t(t));
        o += "<line x1=\"" + num(x) + "\" y1=\"" + num(L::kTop) + "\" x2=\"" + num(x) + "\" y2=\"" + num(axisY) +
             "\"/>\n";
        axis += "<line x1=\"" + num(x) + "\" y1=\"" + num(axisY) + "\" x2=\"" + num(x) + "\" y2=\"" + num(axisY + 5) +
                "\" stroke=\"black\"/>\n<text x=\"" + num(x) + "\" y=\"" + num(axisY + 18) +
                "\" text-anchor=\"middle\">" + escaped(timeText(t * data.timescaleSeconds)) + "</text>\n";
    }
    o += "</g>\n";

    for (int i = 0; i < n; ++i) {
        const DiagramTrace &t = traces[std::size_t(i)];
        const double hi = L::high(i), lo = hi + L::kTraceHeight, mid = (hi + lo) / 2;
        o += "<g class=\"trace\">\n<text class=\"label\" x=\"8\" y=\"" + num(mid + 4) + "\">" + escaped(t.label) +
             "</text>\n";
        // Before its first value a signal is unknown.
        std::vector<std::pair<std::uint64_t, std::string>> values = t.values;
        if (values.empty() || values.front().first > l.from)
            values.insert(values.begin(), {l.from, std::string(std::size_t(t.width), 'x')});
        if (t.width == 1) {
            const auto level = [&](const std::string &v) { return v == "1" ? hi : v == "0" ? lo : mid; };
            std::string points;
            for (std::size_t k = 0; k < values.size(); ++k) {
                const double x = l.x(values[k].first), y = level(values[k].second);
                if (k > 0)
                    points += num(x) + "," + num(level(values[k - 1].second)) + " ";
                points += num(x) + "," + num(y) + " ";
            }
            points += num(plotRight) + "," + num(level(values.back().second));
            o += "<polyline class=\"bit\" fill=\"none\" stroke=\"black\" stroke-width=\"1.5\" points=\"" + points +
                 "\"/>\n";
        } else {
            for (std::size_t k = 0; k < values.size(); ++k) {
                const double a = l.x(values[k].first), b = k + 1 < values.size() ? l.x(values[k + 1].first) : plotRight;
                const double d = std::min(3.0, (b - a) / 2);
                o += "<polygon class=\"bus\" points=\"" + num(a) + "," + num(mid) + " " + num(a + d) + "," + num(hi) +
                     " " + num(b - d) + "," + num(hi) + " " + num(b) + "," + num(mid) + " " + num(b - d) + "," +
                     num(lo) + " " + num(a + d) + "," + num(lo) + "\" fill=\"" +
                     (unknown(values[k].second) ? "#d8d8d8" : "white") + "\" stroke=\"black\"/>\n";
                const std::string text = hexOfBits(values[k].second);
                if (double(text.size()) * kCharWidth + 6 <= b - a)
                    o += "<text x=\"" + num((a + b) / 2) + "\" y=\"" + num(mid + 4) + "\" text-anchor=\"middle\">" +
                         text + "</text>\n";
            }
        }
        o += "</g>\n";
    }
    o += axis + "</g>\n</svg>\n";
    return o;
}

} // namespace brixo
