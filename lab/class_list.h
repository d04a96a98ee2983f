// A class list as a teacher exports it: "name,role,password" a line, the header line optional,
// fields quoted the usual CSV way when they hold a comma or a quote.
#pragma once
#include <string>
#include <vector>

namespace lab {

struct ClassListEntry {
    int line = 0; // where it stands in the file, for messages
    std::string name, role, password;
};

constexpr std::size_t kClassListLimit = 1 << 20; // bytes

// False with "line N: ..." for the first line that is not three fields.
bool parseClassList(const std::string &text, std::vector<ClassListEntry> &entries, std::string &error);

} // namespace lab
