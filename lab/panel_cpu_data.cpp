#include "panel_cpu_data.h"

#include "board_layout.h"

#include <nlohmann/json.hpp>

#include <cmath>

namespace lab {

namespace {

// A JSON number with an integral value in int's range, else 0: what the program's reader takes.
long long integral(const nlohmann::json &v)
{
    if (!v.is_number())
        return 0;
    const double d = v.get<double>();
    if (!std::isfinite(d) || d != std::floor(d) || d > 2147483647.0 || d < -2147483648.0)
        return 0;
    return static_cast<long long>(d);
}

} // namespace

int panelCpuDataBits(const std::string &jvpText)
{
    // The program shows at most this many data displays; the rest of a list is not read.
    constexpr int kMaxDisplays = 10000;
    const nlohmann::json doc = nlohmann::json::parse(jvpText, nullptr, false);
    if (!doc.is_object())
        return 0;
    const auto comps = doc.find("components");
    if (comps == doc.end() || !comps->is_array())
        return 0;
    long long bits = 0;
    int displays = 0;
    for (const nlohmann::json &c : *comps) {
        if (!c.is_object() || c.value("type", nlohmann::json()) != "data" || ++displays > kMaxDisplays)
            continue;
        const auto value = c.find("value");
        const long long w =
            value != c.end() && value->is_object() ? integral(value->value("bitWidth", nlohmann::json())) : 0;
        if (w < 0)
            return -1;
        bits += w;
        if (bits > brixo::BoardLayout::cpuDataBits)
            return -1;
    }
    return int(bits);
}

} // namespace lab
