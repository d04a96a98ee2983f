#include "lab_command.h"

#include "class_list.h"
#include "lab_config.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>

namespace lab {
namespace {

const char *const kUsage = "usage: brixo-labd user add NAME [--role student|teacher|admin] --config lab.json\n"
                           "       brixo-labd user import FILE.csv --config lab.json\n"
                           "       brixo-labd user remove NAME --config lab.json\n"
                           "       brixo-labd user list --config lab.json\n"
                           "       brixo-labd audit --config lab.json\n"
                           "A new user's password is read as one line from standard input.\n";

struct Command {
    std::vector<std::string> words; // the command and its operands
    std::string config, role = "student";
    bool roleGiven = false;
};

bool parse(const std::vector<std::string> &args, Command &c, std::string &error)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        std::string *value = a == "--config" ? &c.config : a == "--role" ? &c.role : nullptr;
        if (value) {
            if (i + 1 >= args.size()) {
                error = a + " needs a value";
                return false;
            }
            c.roleGiven = c.roleGiven || a == "--role";
            *value = args[++i];
        } else if (a.size() > 1 && a[0] == '-') {
            error = "unknown option " + a;
            return false;
        } else {
            c.words.push_back(a);
        }
    }
    const auto &w = c.words;
    const bool user = !w.empty() && w[0] == "user" && w.size() >= 2;
    const bool known = (user && (w[1] == "add" || w[1] == "import" || w[1] == "remove") && w.size() == 3) ||
                       (user && w[1] == "list" && w.size() == 2) || (w.size() == 1 && w[0] == "audit");
    if (!known) {
        error = "unknown command";
        return false;
    }
    if (c.roleGiven && w[1] != "add") {
        error = "--role goes with user add";
        return false;
    }
    if (c.config.empty()) {
        error = "--config lab.json is needed";
        return false;
    }
    Role role;
    if (!parseRole(c.role, role)) {
        error = "the role is student, teacher or admin";
        return false;
    }
    return true;
}

bool readFile(const std::string &path, std::string &text, std::string &error)
{
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    std::ifstream in(path, std::ios::binary);
    if (ec || !in) {
        error = path + ": cannot be read";
        return false;
    }
    if (size > kClassListLimit) {
        error = path + ": larger than " + std::to_string(kClassListLimit) + " bytes";
        return false;
    }
    std::ostringstream s;
    s << in.rdbuf();
    text = s.str();
    return true;
}

int run(const Command &c, Store &store, std::istream &in, std::ostream &out, std::ostream &err)
{
    const auto &w = c.words;
    std::string error;
    if (w[0] == "audit") {
        for (const std::string &line : store.audit().lines())
            out << line << '\n';
        return 0;
    }
    if (w[1] == "list") {
        for (const Identity &id : store.accounts().list())
            out << id.name << ' ' << roleName(id.role) << '\n';
        return 0;
    }
    if (w[1] == "remove") {
        if (!store.accounts().remove(w[2])) {
            err << "brixo-labd: no user " << w[2] << '\n';
            return 1;
        }
        out << "removed " << w[2] << '\n';
        return 0;
    }
    if (w[1] == "import") {
        std::string text;
        int added = 0;
        if (!readFile(w[2], text, error) || !store.accounts().importClassList(text, added, error)) {
            err << "brixo-labd: " << (error.rfind(w[2], 0) == 0 ? "" : w[2] + ": ") << error << '\n';
            return 1;
        }
        out << "added " << added << " user" << (added == 1 ? "" : "s") << '\n';
        return 0;
    }
    std::string password;
    if (!std::getline(in, password)) {
        err << "brixo-labd: no password on standard input\n";
        return 1;
    }
    if (!password.empty() && password.back() == '\r')
        password.pop_back();
    Role role = Role::Student;
    parseRole(c.role, role);
    if (!store.accounts().add(w[2], role, password, error)) {
        err << "brixo-labd: " << error << '\n';
        return 1;
    }
    out << "added " << w[2] << " (" << roleName(role) << ")\n";
    return 0;
}

} // namespace

int runLabCommand(const std::vector<std::string> &args, std::istream &in, std::ostream &out, std::ostream &err)
{
    Command c;
    std::string error;
    if (!parse(args, c, error)) {
        err << "brixo-labd: " << error << '\n' << kUsage;
        return 2;
    }
    LabConfig config;
    if (!readLabConfig(c.config, config, error)) {
        err << "brixo-labd: " << error << '\n';
        return 1;
    }
    try {
        Store store(config.database, storeOptions(config));
        return run(c, store, in, out, err);
    } catch (const StoreError &e) {
        err << "brixo-labd: " << e.what() << '\n';
        return 1;
    }
}

} // namespace lab
