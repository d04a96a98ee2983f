#include "class_list.h"

#include <cctype>

namespace lab {
namespace {

std::string lower(std::string s)
{
    for (char &c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string trimmed(const std::string &s)
{
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos)
        return "";
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

} // namespace

bool parseClassList(const std::string &text, std::vector<ClassListEntry> &entries, std::string &error)
{
    if (text.size() > kClassListLimit) {
        error = "the class list is larger than " + std::to_string(kClassListLimit) + " bytes";
        return false;
    }
    std::vector<ClassListEntry> out;
    std::size_t i = 0;
    int line = 1;
    while (i < text.size()) {
        const int first = line;
        std::vector<std::string> fields(1);
        bool quotedField = false, blank = true;
        for (;;) {
            if (i >= text.size())
                break;
            const char c = text[i++];
            if (c == '"' && trimmed(fields.back()).empty() && !quotedField) {
                // A quoted field: up to the lone closing quote; a doubled quote is one quote.
                fields.back().clear();
                quotedField = true;
                blank = false;
                for (;;) {
                    if (i >= text.size()) {
                        error = "line " + std::to_string(first) + ": a quoted field does not end";
                        return false;
                    }
                    const char q = text[i++];
                    if (q == '\n')
                        ++line;
                    if (q != '"') {
                        fields.back() += q;
                    } else if (i < text.size() && text[i] == '"') {
                        fields.back() += '"';
                        ++i;
                    } else {
                        break;
                    }
                }
            } else if (c == ',') {
                fields.emplace_back();
                quotedField = false;
                blank = false;
            } else if (c == '\n') {
                ++line;
                break;
            } else if (c != '\r') {
                if (quotedField) {
                    if (c != ' ' && c != '\t') {
                        error = "line " + std::to_string(first) + ": text after a closing quote";
                        return false;
                    }
                    continue;
                }
                fields.back() += c;
                if (c != ' ' && c != '\t')
                    blank = false;
            }
        }
        if (blank)
            continue;
        if (fields.size() != 3) {
            error = "line " + std::to_string(first) + ": expected name,role,password but found " +
                    std::to_string(fields.size()) + " field" + (fields.size() == 1 ? "" : "s");
            return false;
        }
        ClassListEntry e{first, trimmed(fields[0]), trimmed(fields[1]), trimmed(fields[2])};
        if (out.empty() && first == 1 && lower(e.name) == "name" && lower(e.role) == "role" &&
            lower(e.password) == "password")
            continue;
        out.push_back(std::move(e));
    }
    entries = std::move(out);
    return true;
}

} // namespace lab
