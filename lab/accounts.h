// The lab's accounts: a name, a role and an Argon2id hash of the password; signing in gives a
// bearer token of which only the SHA-256 is kept, valid for twelve hours or until sign-out.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lab {

class Store;

enum class Role { Student, Teacher, Admin };
const char *roleName(Role role);
bool parseRole(const std::string &text, Role &role);

struct Identity {
    std::string name;
    Role role = Role::Student;
};

constexpr std::int64_t kTokenSeconds = 12 * 3600;
constexpr std::size_t kNameLimit = 64;
constexpr std::size_t kPasswordLimit = 1024;

// 1 to 64 letters, digits and . _ - @, starting with a letter or digit; false with the reason.
bool validUserName(const std::string &name, std::string &why);
bool validPassword(const std::string &password, std::string &why);

class Accounts {
public:
    explicit Accounts(Store &store) : store_(store) {}

    bool add(const std::string &name, Role role, const std::string &password, std::string &error);
    // Every line valid and new, or nothing is added; the error names the line.
    bool importClassList(const std::string &csv, int &added, std::string &error);
    // The account, its tokens, its place in a queue and its hold (the board goes to be reset).
    bool remove(const std::string &name);
    std::vector<Identity> list();

    // A token, or nothing for a wrong name or password; both are in the audit log.
    std::optional<std::string> signIn(const std::string &name, const std::string &password);
    std::optional<Identity> check(const std::string &token);
    bool signOut(const std::string &token);

private:
    Store &store_;
};

} // namespace lab
