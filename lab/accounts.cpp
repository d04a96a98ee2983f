#include "accounts.h"

#include "class_list.h"
#include "credentials.h"
#include "store.h"

#include <cctype>
#include <map>

namespace lab {

const char *roleName(Role role)
{
    switch (role) {
    case Role::Student: return "student";
    case Role::Teacher: return "teacher";
    case Role::Admin: return "admin";
    }
    return "student";
}

bool parseRole(const std::string &text, Role &role)
{
    for (Role r : {Role::Student, Role::Teacher, Role::Admin})
        if (text == roleName(r)) {
            role = r;
            return true;
        }
    return false;
}

bool validUserName(const std::string &name, std::string &why)
{
    bool ok = !name.empty() && name.size() <= kNameLimit && std::isalnum(static_cast<unsigned char>(name[0]));
    for (char c : name)
        ok = ok && (std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_' || c == '-' || c == '@');
    if (!ok)
        why = "a user name is 1 to " + std::to_string(kNameLimit) +
              " letters, digits and . _ - @, starting with a letter or digit";
    return ok;
}

bool validPassword(const std::string &password, std::string &why)
{
    bool ok = !password.empty() && password.size() <= kPasswordLimit;
    for (char c : password)
        ok = ok && c != '\n' && c != '\r' && c != '\0';
    if (!ok)
        why = "a password is 1 to " + std::to_string(kPasswordLimit) + " bytes on one line";
    return ok;
}

namespace {

bool exists(Database &db, const std::string &name)
{
    return !db.run("SELECT 1 FROM users WHERE name = $1", {name}).rows.empty();
}

} // namespace

bool Accounts::add(const std::string &name, Role role, const std::string &password, std::string &error)
{
    if (!validUserName(name, error) || !validPassword(password, error))
        return false;
    const std::string hash = hashPassword(password);
    const bool added = store_.transaction([&](Database &db) {
        if (exists(db, name))
            return false;
        db.run("INSERT INTO users (name, role, password_hash, created) VALUES ($1, $2, $3, $4)",
               {name, std::string(roleName(role)), hash, store_.now()});
        store_.audit().record(db, "user-added", name, "", roleName(role));
        return true;
    });
    if (!added)
        error = name + " already has an account";
    return added;
}

bool Accounts::importClassList(const std::string &csv, int &added, std::string &error)
{
    std::vector<ClassListEntry> entries;
    if (!parseClassList(csv, entries, error))
        return false;
    std::map<std::string, int> seen;
    std::vector<Role> roles(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const ClassListEntry &e = entries[i];
        const std::string at = "line " + std::to_string(e.line) + ": ";
        std::string why;
        if (!validUserName(e.name, why) || !validPassword(e.password, why)) {
            error = at + why;
            return false;
        }
        if (!parseRole(e.role, roles[i])) {
            error = at + "the role is student, teacher or admin, not '" + e.role.substr(0, kNameLimit) + "'";
            return false;
        }
        if (!seen.emplace(e.name, e.line).second) {
            error = at + e.name + " is listed already on line " + std::to_string(seen[e.name]);
            return false;
        }
    }
    // Hashing takes a while: done before the transaction, which then only writes.
    std::vector<std::string> hashes;
    for (const ClassListEntry &e : entries)
        hashes.push_back(hashPassword(e.password));
    error = store_.transaction([&](Database &db) -> std::string {
        for (std::size_t i = 0; i < entries.size(); ++i)
            if (exists(db, entries[i].name))
                return "line " + std::to_string(entries[i].line) + ": " + entries[i].name + " already has an account";
        for (std::size_t i = 0; i < entries.size(); ++i) {
            db.run("INSERT INTO users (name, role, password_hash, created) VALUES ($1, $2, $3, $4)",
                   {entries[i].name, std::string(roleName(roles[i])), hashes[i], store_.now()});
            store_.audit().record(db, "user-added", entries[i].name, "", roleName(roles[i]));
        }
        return "";
    });
    added = error.empty() ? static_cast<int>(entries.size()) : 0;
    return error.empty();
}

bool Accounts::remove(const std::string &name)
{
    return store_.transaction([&](Database &db) {
        if (!exists(db, name))
            return false;
        store_.queue().dropUser(db, name);
        db.run("DELETE FROM users WHERE name = $1", {name});
        store_.audit().record(db, "user-removed", name, "");
        return true;
    });
}

std::vector<Identity> Accounts::list()
{
    const Result r =
        store_.transaction([](Database &db) { return db.run("SELECT name, role FROM users ORDER BY name"); });
    std::vector<Identity> out;
    for (const Row &row : r.rows) {
        Identity id{row.text(0)};
        parseRole(row.text(1), id.role);
        out.push_back(id);
    }
    return out;
}

std::optional<std::string> Accounts::signIn(const std::string &name, const std::string &password)
{
    std::string why;
    const bool wellFormed = validUserName(name, why) && validPassword(password, why);
    const Result found = store_.transaction([&](Database &db) {
        return wellFormed ? db.run("SELECT password_hash FROM users WHERE name = $1", {name}) : Result{};
    });
    bool ok = false;
    if (found.rows.empty()) {
        passwordMatchesNothing(password.substr(0, kPasswordLimit));
        why = wellFormed ? "no such user" : why;
    } else {
        ok = passwordMatches(found.rows[0].text(0), password);
        why = ok ? "" : "wrong password";
    }
    const std::string token = ok ? newToken() : "";
    store_.transaction([&](Database &db) {
        if (ok)
            db.run("INSERT INTO tokens (digest, user_name, expires) VALUES ($1, $2, $3)",
                   {tokenDigest(token), name, store_.now() + kTokenSeconds});
        store_.audit().record(db, ok ? "sign-in" : "sign-in-refused", name, "", why);
    });
    if (!ok)
        return std::nullopt;
    return token;
}

std::optional<Identity> Accounts::check(const std::string &token)
{
    if (!looksLikeToken(token))
        return std::nullopt;
    const Result r = store_.transaction([&](Database &db) {
        // Expired tokens go when anyone's is checked; they are worth nothing anyway.
        db.run("DELETE FROM tokens WHERE expires <= $1", {store_.now()});
        return db.run("SELECT u.name, u.role FROM tokens t JOIN users u ON u.name = t.user_name WHERE t.digest = $1",
                      {tokenDigest(token)});
    });
    if (r.rows.empty())
        return std::nullopt;
    Identity id{r.rows[0].text(0)};
    if (!parseRole(r.rows[0].text(1), id.role))
        return std::nullopt;
    return id;
}

bool Accounts::signOut(const std::string &token)
{
    if (!looksLikeToken(token))
        return false;
    return store_.transaction([&](Database &db) {
        const Result r = db.run("DELETE FROM tokens WHERE digest = $1 RETURNING user_name", {tokenDigest(token)});
        if (r.rows.empty())
            return false;
        store_.audit().record(db, "sign-out", r.rows[0].text(0), "");
        return true;
    });
}

} // namespace lab
