// The tokens of Verilog text and its constant expressions: what the port reader is built on.
#pragma once
#include <map>
#include <string>
#include <vector>

namespace labd {

struct Token {
    enum Kind { Name, Number, Symbol, Text } kind;
    std::string text;
    int line;
};

// Names, numbers (with their size and base), strings and symbols, each with its line; comments,
// attributes and directives the preprocessor left are dropped.
std::vector<Token> tokenize(const std::string &text);

// A module's parameters by name, each its value's tokens.
using Params = std::map<std::string, std::vector<Token>>;

// The value of a constant expression of numbers, parameters, + - * / % << >> & | ^, ?:, unary
// signs, parentheses and $clog2; false when it is none, overflows or nests parameters too deep.
bool evaluateConstant(const std::vector<Token> &tokens, const Params &params, long &value);

} // namespace labd
