#include "verilog_tokens.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdint>
#include <cstdlib>

namespace labd {

namespace {

bool nameStart(char c) { return std::isalpha(uint8_t(c)) || c == '_'; }
bool nameChar(char c) { return std::isalnum(uint8_t(c)) || c == '_' || c == '$'; }

} // namespace

std::vector<Token> tokenize(const std::string &s)
{
    std::vector<Token> out;
    int line = 1;
    size_t i = 0;
    const size_t n = s.size();
    while (i < n) {
        const char c = s[i];
        if (c == '\n') {
            ++line;
            ++i;
        } else if (std::isspace(uint8_t(c)) || uint8_t(c) >= 0x80) {
            ++i; // a stray non-ASCII byte outside a comment is the simulator's to complain about
        } else if (s.compare(i, 2, "//") == 0) {
            while (i < n && s[i] != '\n')
                ++i;
        } else if (s.compare(i, 2, "/*") == 0) {
            const size_t end = s.find("*/", i + 2);
            for (size_t j = i; j < std::min(end, n); ++j)
                line += s[j] == '\n';
            i = end == std::string::npos ? n : end + 2;
        } else if (s.compare(i, 2, "(*") == 0 && s.find_first_not_of(" \t", i + 2) != std::string::npos &&
                   s[s.find_first_not_of(" \t", i + 2)] != ')') {
            const size_t end = s.find("*)", i + 2); // an attribute
            i = end == std::string::npos ? n : end + 2;
        } else if (c == '`') { // a directive the preprocessor left (`timescale and kin)
            while (i < n && s[i] != '\n')
                ++i;
        } else if (c == '"') {
            size_t j = i + 1;
            while (j < n && s[j] != '"' && s[j] != '\n')
                j += s[j] == '\\' ? 2 : 1;
            out.push_back({Token::Text, s.substr(i, j - i), line});
            i = j + 1;
        } else if (c == '\\') { // escaped name, up to white space
            size_t j = i + 1;
            while (j < n && !std::isspace(uint8_t(s[j])))
                ++j;
            out.push_back({Token::Name, s.substr(i + 1, j - i - 1), line});
            i = j;
        } else if (nameStart(c) || c == '$') {
            size_t j = i + 1;
            while (j < n && nameChar(s[j]))
                ++j;
            out.push_back({Token::Name, s.substr(i, j - i), line});
            i = j;
        } else if (std::isdigit(uint8_t(c)) || (c == '\'' && i + 1 < n && std::isalpha(uint8_t(s[i + 1])))) {
            size_t j = i;
            while (j < n && (std::isdigit(uint8_t(s[j])) || s[j] == '_'))
                ++j;
            if (j < n && s[j] == '\'') {
                ++j;
                if (j < n && (s[j] == 's' || s[j] == 'S'))
                    ++j;
                if (j < n)
                    ++j; // base letter
                while (j < n && (std::isxdigit(uint8_t(s[j])) || s[j] == '_' || s[j] == 'x' || s[j] == 'X' ||
                                 s[j] == 'z' || s[j] == 'Z' || s[j] == '?'))
                    ++j;
            }
            out.push_back({Token::Number, s.substr(i, j - i), line});
            i = j;
        } else {
            static const char *pairs[] = {"<<", ">>", "**", "+:", "-:", "::", "==", "!=", "<=", ">=", "&&", "||"};
            std::string sym(1, c);
            for (const char *p : pairs)
                if (s.compare(i, 2, p) == 0)
                    sym = p;
            out.push_back({Token::Symbol, sym, line});
            i += sym.size();
        }
    }
    return out;
}

namespace {

// Constant expressions over numbers and parameters.
class Evaluator {
public:
    Evaluator(const std::vector<Token> &t, const Params &params, int depth = 0) : t_(t), params_(params), depth_(depth)
    {}
    bool run(long &value) { return expr(value, 0) && at_ == t_.size(); }

private:
    const Token *peek() const { return at_ < t_.size() ? &t_[at_] : nullptr; }
    bool sym(const char *s)
    {
        if (peek() && peek()->kind == Token::Symbol && peek()->text == s) {
            ++at_;
            return true;
        }
        return false;
    }
    static int precedence(const std::string &op)
    {
        if (op == "*" || op == "/" || op == "%")
            return 5;
        if (op == "+" || op == "-")
            return 4;
        if (op == "<<" || op == ">>")
            return 3;
        if (op == "&" || op == "|" || op == "^")
            return 2;
        return -1;
    }
    bool expr(long &v, int minPrec)
    {
        if (!unary(v))
            return false;
        for (;;) {
            const Token *op = peek();
            if (!op || op->kind != Token::Symbol)
                return true;
            const int p = precedence(op->text);
            if (p < 0 || p < minPrec) {
                if (op->text == "?" && minPrec == 0) {
                    ++at_;
                    long a, b;
                    if (!expr(a, 0) || !sym(":") || !expr(b, 0))
                        return false;
                    v = v ? a : b;
                }
                return true;
            }
            const std::string o = op->text;
            ++at_;
            long r;
            if (!expr(r, p + 1))
                return false;
            // Ranges are small numbers: anything that overflows is no range of ours.
            if (o == "*") {
                if (__builtin_mul_overflow(v, r, &v))
                    return false;
            } else if (o == "/" || o == "%") {
                if (r == 0 || (r == -1 && v == LONG_MIN))
                    return false;
                v = o == "/" ? v / r : v % r;
            } else if (o == "+") {
                if (__builtin_add_overflow(v, r, &v))
                    return false;
            } else if (o == "-") {
                if (__builtin_sub_overflow(v, r, &v))
                    return false;
            } else if (o == "<<")
                v = r < 0 || r > 62 ? 0 : v << r;
            else if (o == ">>")
                v = r < 0 || r > 62 ? 0 : v >> r;
            else if (o == "&")
                v &= r;
            else if (o == "|")
                v |= r;
            else
                v ^= r;
        }
    }
    bool unary(long &v)
    {
        if (sym("-")) {
            if (!unary(v) || v == LONG_MIN)
                return false;
            v = -v;
            return true;
        }
        if (sym("+"))
            return unary(v);
        if (sym("(")) {
            if (!expr(v, 0) || !sym(")"))
                return false;
            return true;
        }
        const Token *t = peek();
        if (!t)
            return false;
        ++at_;
        if (t->kind == Token::Number)
            return number(t->text, v);
        if (t->kind != Token::Name)
            return false;
        if (t->text == "$clog2") {
            long x;
            if (!sym("(") || !expr(x, 0) || !sym(")"))
                return false;
            v = 0;
            while ((1L << v) < x && v < 62)
                ++v;
            return true;
        }
        const auto p = params_.find(t->text);
        if (p == params_.end() || depth_ > 16)
            return false;
        return Evaluator(p->second, params_, depth_ + 1).run(v);
    }
    static bool number(const std::string &text, long &v)
    {
        std::string digits;
        int base = 10;
        const size_t tick = text.find('\'');
        size_t from = 0;
        if (tick != std::string::npos) {
            size_t b = tick + 1;
            if (b < text.size() && (text[b] == 's' || text[b] == 'S'))
                ++b;
            if (b >= text.size())
                return false;
            const char k = char(std::tolower(uint8_t(text[b])));
            base = k == 'h' ? 16 : k == 'o' ? 8 : k == 'b' ? 2 : k == 'd' ? 10 : 0;
            from = b + 1;
            if (!base)
                return false;
        }
        for (size_t i = from; i < text.size(); ++i)
            if (text[i] != '_')
                digits += text[i];
        if (digits.empty() || digits.size() > 18)
            return false;
        char *end = nullptr;
        v = std::strtol(digits.c_str(), &end, base);
        return *end == 0;
    }

    const std::vector<Token> &t_;
    const Params &params_;
    int depth_;
    size_t at_ = 0;
};

} // namespace

bool evaluateConstant(const std::vector<Token> &tokens, const Params &params, long &value)
{
    return Evaluator(tokens, params).run(value);
}

} // namespace labd
