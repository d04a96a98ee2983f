#include "vcd_reader.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <unordered_map>

namespace brixo {

namespace {

struct Tokens {
    const std::string &text;
    std::size_t at = 0;
    int line = 1;
    // The next blank-separated word; false at the end.
    bool next(std::string &word)
    {
        while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at])))
            line += text[at++] == '\n';
        if (at >= text.size())
            return false;
        const std::size_t from = at;
        while (at < text.size() && !std::isspace(static_cast<unsigned char>(text[at])))
            ++at;
        word.assign(text, from, at - from);
        return true;
    }
    // The words up to "$end", which must come.
    bool upToEnd(std::vector<std::string> &words)
    {
        words.clear();
        std::string w;
        while (next(w)) {
            if (w == "$end")
                return true;
            if (words.size() < 64)
                words.push_back(w);
        }
        return false;
    }
};

bool parseInt(const std::string &s, long long &v, long long limit)
{
    if (s.empty() || s.size() > 20)
        return false;
    char *end = nullptr;
    v = std::strtoll(s.c_str(), &end, 10);
    return *end == 0 && v >= -limit && v <= limit && (std::isdigit(static_cast<unsigned char>(s[0])) || s[0] == '-');
}

bool parseTime(const std::string &s, std::uint64_t &t)
{
    if (s.empty() || s.size() > 19 || s.find_first_not_of("0123456789") != std::string::npos)
        return false;
    t = std::strtoull(s.c_str(), nullptr, 10);
    return true;
}

bool timescaleOf(const std::string &text, double &seconds)
{
    std::size_t n = 0;
    while (n < text.size() && std::isdigit(static_cast<unsigned char>(text[n])))
        ++n;
    const std::string number = text.substr(0, n), unit = text.substr(n);
    if (number != "1" && number != "10" && number != "100")
        return false;
    static const std::pair<const char *, double> units[] = {{"s", 1},     {"ms", 1e-3},  {"us", 1e-6},
                                                            {"ns", 1e-9}, {"ps", 1e-12}, {"fs", 1e-15}};
    for (const auto &u : units)
        if (unit == u.first) {
            seconds = std::atof(number.c_str()) * u.second;
            return true;
        }
    return false;
}

// "[35:0]" or "[3]" into msb and lsb.
bool parseRange(const std::string &r, int &msb, int &lsb)
{
    if (r.size() < 3 || r.front() != '[' || r.back() != ']')
        return false;
    const std::string inner = r.substr(1, r.size() - 2);
    const std::size_t colon = inner.find(':');
    long long a = 0, b = 0;
    if (!parseInt(inner.substr(0, colon), a, 1 << 20))
        return false;
    if (colon != std::string::npos && !parseInt(inner.substr(colon + 1), b, 1 << 20))
        return false;
    msb = int(a);
    lsb = colon == std::string::npos ? int(a) : int(b);
    return true;
}

bool validValue(const std::string &v) { return !v.empty() && v.find_first_not_of("01xzXZ") == std::string::npos; }

} // namespace

std::string VcdSignal::label() const
{
    if (!ranged)
        return name;
    return name + "[" + std::to_string(msb) + (msb == lsb ? "" : ":" + std::to_string(lsb)) + "]";
}

const VcdSignal *VcdData::find(const std::string &name) const
{
    for (const VcdSignal &s : variables) {
        const std::string scoped = s.scope.empty() ? std::string() : s.scope + ".";
        if (name == s.name || name == s.label() || name == scoped + s.name || name == scoped + s.label())
            return &s;
    }
    return nullptr;
}

std::string VcdData::valueOf(const VcdSignal &s, const VcdChange &c) const
{
    const std::string v = values.substr(c.offset, c.length);
    const std::size_t w = std::size_t(s.width);
    if (v.size() >= w)
        return v.substr(v.size() - w);
    const char fill = v[0] == 'x' || v[0] == 'z' ? v[0] : '0';
    return std::string(w - v.size(), fill) + v;
}

std::string VcdData::valueAt(const VcdSignal &s, std::uint64_t t) const
{
    const std::vector<VcdChange> &c = changes(s);
    auto after = std::upper_bound(c.begin(), c.end(), t,
                                  [](std::uint64_t time, const VcdChange &change) { return time < change.time; });
    if (after == c.begin())
        return std::string(std::size_t(s.width), 'x');
    return valueOf(s, *(after - 1));
}

bool parseVcd(const std::string &text, VcdData &data, std::string &error)
{
    data = VcdData();
    if (text.size() > kMaxVcdBytes) {
        error = "the file is larger than " + std::to_string(kMaxVcdBytes >> 20) + " MiB";
        return false;
    }
    Tokens in{text};
    const auto fail = [&](const std::string &why) {
        error = "line " + std::to_string(in.line) + ": " + why;
        return false;
    };
    std::unordered_map<std::string, int> traceOf;
    std::vector<int> widthOf; // per trace, the widest variable on it
    std::vector<std::string> scopes, words;
    bool header = true, timed = false;
    std::uint64_t now = 0;
    std::string w;
    const auto change = [&](const std::string &value, const std::string &id) {
        const auto t = traceOf.find(id);
        if (t == traceOf.end())
            return fail("no variable has the identifier " + id.substr(0, 40));
        if (!validValue(value))
            return fail("not a value: " + value.substr(0, 40));
        if (int(value.size()) > widthOf[std::size_t(t->second)])
            return fail("a value wider than its variable " + id.substr(0, 40));
        VcdChange c;
        c.time = now;
        c.offset = std::uint32_t(data.values.size());
        c.length = std::uint32_t(value.size());
        for (char ch : value)
            data.values += char(std::tolower(static_cast<unsigned char>(ch)));
        data.traces[std::size_t(t->second)].push_back(c);
        return true;
    };
    while (in.next(w)) {
        if (w[0] == '$') {
            if (w == "$end" || w == "$dumpvars" || w == "$dumpall" || w == "$dumpon" || w == "$dumpoff") {
                if (header && w != "$end")
                    return fail(w + " before $enddefinitions");
                continue;
            }
            const int line = in.line;
            if (!in.upToEnd(words)) {
                in.line = line;
                return fail(w + " without $end");
            }
            if (w == "$comment" && !header) {
                std::string joined;
                for (const std::string &x : words)
                    joined += (joined.empty() ? "" : " ") + x;
                data.comments.push_back({now, joined});
            } else if (!header) {
                if (w != "$comment")
                    return fail(w + " after $enddefinitions");
            } else if (w == "$timescale") {
                std::string joined;
                for (const std::string &x : words)
                    joined += x;
                if (!timescaleOf(joined, data.timescaleSeconds))
                    return fail("not a timescale: " + joined.substr(0, 40));
                data.timescale = joined;
            } else if (w == "$scope") {
                if (words.size() != 2)
                    return fail("$scope needs a kind and a name");
                scopes.push_back(words[1]);
            } else if (w == "$upscope") {
                if (scopes.empty())
                    return fail("$upscope outside any scope");
                scopes.pop_back();
            } else if (w == "$var") {
                if (words.size() < 4 || words.size() > 5)
                    return fail("$var needs a kind, a width, an identifier and a name");
                long long width = 0;
                if (!parseInt(words[1], width, kMaxVcdWidth) || width < 1)
                    return fail("not a width: " + words[1].substr(0, 40));
                if (data.variables.size() >= kMaxVcdSignals)
                    return fail("more than " + std::to_string(kMaxVcdSignals) + " variables");
                VcdSignal s;
                s.width = int(width);
                s.msb = s.width - 1;
                s.name = words[3];
                std::string range = words.size() == 5 ? words[4] : std::string();
                const std::size_t bracket = s.name.find('[');
                if (range.empty() && bracket != std::string::npos && bracket > 0) {
                    range = s.name.substr(bracket);
                    s.name.resize(bracket);
                }
                if (!range.empty()) {
                    if (!parseRange(range, s.msb, s.lsb) || std::abs(s.msb - s.lsb) + 1 != s.width)
                        return fail("a range that does not fit the width: " + range.substr(0, 40));
                    s.ranged = true;
                }
                for (const std::string &sc : scopes)
                    s.scope += (s.scope.empty() ? "" : ".") + sc;
                const auto known = traceOf.emplace(words[2], int(data.traces.size()));
                if (known.second) {
                    data.traces.emplace_back();
                    widthOf.push_back(s.width);
                }
                s.trace = known.first->second;
                widthOf[std::size_t(s.trace)] = std::max(widthOf[std::size_t(s.trace)], s.width);
                data.variables.push_back(s);
            } else if (w == "$enddefinitions") {
                header = false;
            }
            // $date, $version, header comments and unknown sections are skipped whole.
            continue;
        }
        if (header)
            return fail("a value change before $enddefinitions");
        if (w[0] == '#') {
            std::uint64_t t = 0;
            if (!parseTime(w.substr(1), t))
                return fail("not a time: " + w.substr(0, 40));
            if (timed && t < now)
                return fail("time goes back to " + w.substr(1));
            now = t;
            timed = true;
            data.endTime = std::max(data.endTime, t);
        } else if (w[0] == 'b' || w[0] == 'B' || w[0] == 'r' || w[0] == 'R') {
            std::string id;
            if (!in.next(id))
                return fail("a value without an identifier");
            if ((w[0] == 'b' || w[0] == 'B') && !change(w.substr(1), id))
                return false;
            if ((w[0] == 'r' || w[0] == 'R') && !traceOf.count(id))
                return fail("no variable has the identifier " + id.substr(0, 40));
        } else if (w.size() > 1 && validValue(w.substr(0, 1))) {
            if (!change(w.substr(0, 1), w.substr(1)))
                return false;
        } else {
            return fail("not a value change: " + w.substr(0, 40));
        }
    }
    if (header)
        return fail("no $enddefinitions");
    return true;
}

bool readVcdFile(const std::string &path, VcdData &data, std::string &error)
{
    std::ifstream f(path, std::ios::binary);
    if (!f) {
        error = "cannot read " + path;
        return false;
    }
    f.seekg(0, std::ios::end);
    const std::streamoff size = f.tellg();
    if (size < 0 || std::uint64_t(size) > kMaxVcdBytes) {
        error = path + ": the file is larger than " + std::to_string(kMaxVcdBytes >> 20) + " MiB";
        return false;
    }
    f.seekg(0);
    std::string text(std::size_t(size), '\0');
    f.read(&text[0], size);
    text.resize(std::size_t(f.gcount()));
    if (!parseVcd(text, data, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

} // namespace brixo
