#include "verilog_ports.h"
#include "verilog_tokens.h"

#include <set>
#include <utility>

namespace labd {

namespace {

bool isDirection(const std::string &s) { return s == "input" || s == "output" || s == "inout"; }
bool isTypeWord(const std::string &s)
{
    static const std::set<std::string> words = {"wire", "reg",     "logic",   "signed",   "unsigned", "var",    "tri",
                                                "bit",  "integer", "supply0", "supply1",  "wand",     "wor",    "tri0",
                                                "tri1", "uwire",   "byte",    "shortint", "int",      "longint"};
    return words.count(s) != 0;
}

class Parser {
public:
    explicit Parser(std::vector<Token> t) : t_(std::move(t)) {}

    bool run(std::vector<Module> &modules, std::string &error)
    {
        while (at_ < t_.size()) {
            const Token &t = t_[at_++];
            if (t.kind == Token::Name && (t.text == "module" || t.text == "macromodule")) {
                Module m;
                if (!module(m, error))
                    return false;
                modules.push_back(std::move(m));
            }
        }
        return true;
    }

private:
    const Token *peek(size_t ahead = 0) const { return at_ + ahead < t_.size() ? &t_[at_ + ahead] : nullptr; }
    bool is(const char *text, size_t ahead = 0) const { return peek(ahead) && peek(ahead)->text == text; }
    int line() const { return peek() ? peek()->line : (t_.empty() ? 0 : t_.back().line); }

    // The tokens up to the bracket that closes the one just passed, split at top-level commas.
    std::vector<std::vector<Token>> group()
    {
        std::vector<std::vector<Token>> items(1);
        int depth = 1;
        while (at_ < t_.size()) {
            const Token &t = t_[at_++];
            if (t.kind == Token::Symbol && (t.text == "(" || t.text == "[" || t.text == "{"))
                ++depth;
            if (t.kind == Token::Symbol && (t.text == ")" || t.text == "]" || t.text == "}"))
                if (--depth == 0)
                    return items;
            if (depth == 1 && t.text == ",") {
                items.emplace_back();
                continue;
            }
            items.back().push_back(t);
        }
        return {};
    }

    bool range(const std::vector<Token> &inside, const Params &params, long &left, long &right)
    {
        size_t colon = inside.size();
        int depth = 0;
        for (size_t i = 0; i < inside.size(); ++i) {
            const std::string &s = inside[i].text;
            depth += s == "(" ? 1 : s == ")" ? -1 : 0;
            if (depth == 0 && s == ":" && colon == inside.size())
                colon = i;
        }
        if (colon == inside.size())
            return false;
        const std::vector<Token> a(inside.begin(), inside.begin() + long(colon)),
            b(inside.begin() + long(colon) + 1, inside.end());
        const long limit = 1L << 40; // far beyond any board port, far from overflowing a width
        return evaluateConstant(a, params, left) && evaluateConstant(b, params, right) && left > -limit &&
               left < limit && right > -limit && right < limit;
    }

    // One declaration item: [direction] {type word} [range] name {unpacked}. Fills what it has.
    struct Item {
        std::string direction, name;
        bool hasRange = false, hasType = false;
        std::vector<Token> rangeTokens;
    };
    static Item item(const std::vector<Token> &tokens)
    {
        Item it;
        size_t i = 0;
        if (i < tokens.size() && isDirection(tokens[i].text))
            it.direction = tokens[i++].text;
        while (i < tokens.size() && tokens[i].kind == Token::Name && isTypeWord(tokens[i].text)) {
            it.hasType = true;
            ++i;
        }
        if (i < tokens.size() && tokens[i].text == "[") {
            it.hasRange = true;
            int depth = 0;
            for (++i; i < tokens.size(); ++i) {
                if (tokens[i].text == "[")
                    ++depth;
                if (tokens[i].text == "]" && depth-- == 0)
                    break;
                it.rangeTokens.push_back(tokens[i]);
            }
            ++i;
            while (i < tokens.size() && tokens[i].text == "[") // further packed dimensions
                while (i < tokens.size() && tokens[i++].text != "]") {
                }
        }
        if (i < tokens.size() && tokens[i].kind == Token::Name)
            it.name = tokens[i].text;
        return it;
    }

    bool setPort(Port &p, const Item &it, const Params &params, const std::string &module, std::string &error)
    {
        p.direction = it.direction == "output" ? Port::Output : it.direction == "inout" ? Port::Inout : Port::Input;
        p.left = p.right = 0;
        if (it.hasRange && !range(it.rangeTokens, params, p.left, p.right)) {
            error =
                "module " + module + ": the range of port " + p.name + " is not a constant this server can work out";
            return false;
        }
        return true;
    }

    void parameters(Params &params, bool inList)
    {
        // parameter [type] [range] NAME = expr {, NAME = expr}
        while (at_ < t_.size()) {
            if (is(";") || (inList && is(")")))
                return;
            if (peek()->kind == Token::Name && is("=", 1)) {
                const std::string name = peek()->text;
                at_ += 2;
                std::vector<Token> value;
                int depth = 0;
                while (at_ < t_.size()) {
                    const std::string &s = peek()->text;
                    if (depth == 0 && (s == "," || s == ";" || (s == ")" && inList)))
                        break;
                    depth += s == "(" || s == "[" || s == "{" ? 1 : s == ")" || s == "]" || s == "}" ? -1 : 0;
                    value.push_back(t_[at_++]);
                }
                params[name] = value;
                if (is(","))
                    ++at_;
                if (is("parameter") || is("localparam"))
                    ++at_;
                continue;
            }
            ++at_;
        }
    }

    bool module(Module &m, std::string &error)
    {
        if (!peek() || peek()->kind != Token::Name) {
            error = "line " + std::to_string(line()) + ": a module without a name";
            return false;
        }
        m.name = t_[at_++].text;
        Params params;
        while (is("automatic") || is("static"))
            ++at_;
        while (is("import"))
            while (at_ < t_.size() && t_[at_++].text != ";") {
            }
        if (is("#") && is("(", 1)) {
            at_ += 2;
            const size_t start = at_;
            group();
            const size_t end = at_;
            at_ = start;
            parameters(params, true);
            at_ = end;
        }
        std::vector<std::vector<Token>> items;
        if (is("(")) {
            ++at_;
            items = group();
        }
        bool ansi = false;
        for (const auto &it : items)
            ansi = ansi || (!it.empty() && isDirection(it.front().text));
        Item previous;
        for (const auto &tokens : items) {
            if (tokens.empty())
                continue;
            Port p;
            if (ansi) {
                Item it = item(tokens);
                if (it.direction.empty()) { // "input [3:0] a, b": b is like a
                    it.direction = previous.direction;
                    if (!it.hasRange && !it.hasType) {
                        it.hasRange = previous.hasRange;
                        it.rangeTokens = previous.rangeTokens;
                    }
                }
                if (it.name.empty())
                    continue; // an interface port or the like: not one of the board's
                p.name = it.name;
                if (!setPort(p, it, params, m.name, error))
                    return false;
                previous = it;
            } else {
                if (tokens.front().kind != Token::Name)
                    continue;
                p.name = tokens.front().text;
                p.direction = Port::Inout; // until the body declares it
            }
            m.ports.push_back(p);
        }
        while (at_ < t_.size() && !is(";"))
            ++at_;
        // The body: parameters, non-ANSI port declarations, and every name for instances.
        bool statementStart = true;
        while (at_ < t_.size()) {
            const Token &t = t_[at_];
            if (t.text == "endmodule") {
                ++at_;
                return true;
            }
            if (t.text == "module" || t.text == "macromodule") {
                error = "line " + std::to_string(t.line) + ": module " + m.name + " has no endmodule";
                return false;
            }
            if (t.text == "function" || t.text == "task") { // their "input"s are arguments
                const std::string end = "end" + t.text;
                while (at_ < t_.size() && t_[at_].text != end && t_[at_].text != "endmodule") {
                    if (t_[at_].kind == Token::Name)
                        m.identifiers.insert(t_[at_].text);
                    ++at_;
                }
                statementStart = true;
                continue;
            }
            if (statementStart && (t.text == "parameter" || t.text == "localparam")) {
                ++at_;
                parameters(params, false);
                continue;
            }
            if (statementStart && isDirection(t.text)) {
                std::vector<Token> decl;
                while (at_ < t_.size() && !is(";"))
                    decl.push_back(t_[at_++]);
                // split at top-level commas; later names share the first's direction and range
                std::vector<std::vector<Token>> parts(1);
                int depth = 0;
                for (const Token &d : decl) {
                    depth += d.text == "[" || d.text == "(" ? 1 : d.text == "]" || d.text == ")" ? -1 : 0;
                    if (depth == 0 && d.text == ",")
                        parts.emplace_back();
                    else
                        parts.back().push_back(d);
                }
                Item first = item(parts.front());
                for (size_t k = 0; k < parts.size(); ++k) {
                    Item it = k == 0 ? first : item(parts[k]);
                    if (k > 0) {
                        it.direction = first.direction;
                        it.hasRange = first.hasRange;
                        it.rangeTokens = first.rangeTokens;
                    }
                    for (Port &p : m.ports)
                        if (p.name == it.name && !setPort(p, it, params, m.name, error))
                            return false;
                }
                continue;
            }
            if (t.kind == Token::Name)
                m.identifiers.insert(t.text);
            statementStart = t.text == ";" || t.text == "begin" || t.text == "end" || t.text == "endgenerate" ||
                             t.text == "generate";
            ++at_;
        }
        error = "module " + m.name + " has no endmodule";
        return false;
    }

    std::vector<Token> t_;
    size_t at_ = 0;
};

} // namespace

bool readModules(const std::string &text, std::vector<Module> &modules, std::string &error)
{
    return Parser(tokenize(text)).run(modules, error);
}

std::vector<std::string> topCandidates(const std::vector<Module> &modules)
{
    std::vector<std::string> tops;
    for (const Module &m : modules) {
        bool used = false;
        for (const Module &other : modules)
            used = used || (&other != &m && other.identifiers.count(m.name));
        if (!used)
            tops.push_back(m.name);
    }
    return tops;
}

} // namespace labd
