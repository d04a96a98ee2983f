// Accounts on both back ends: signing in, tokens, class lists.
#include "store_fixture.h"

#include <algorithm>

using namespace labtest;
using lab::Role;

namespace {

class AccountsTest : public StoreTest {};
LAB_STORE_BACKENDS(AccountsTest);

bool anyLineHas(const std::vector<std::string> &lines, const std::string &text)
{
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string &l) { return l.find(text) != std::string::npos; });
}

TEST_P(AccountsTest, SignInGivesATokenOrARefusalAndKeepsOnlyHashes)
{
    auto store = open();
    addUsers(*store, {{"alice", Role::Student}, {"tina", Role::Teacher}});
    std::string error;
    EXPECT_FALSE(store->accounts().add("alice", Role::Admin, "x", error));
    EXPECT_EQ(error, "alice already has an account");
    EXPECT_FALSE(store->accounts().add("bad name", Role::Student, "x", error));
    EXPECT_FALSE(store->accounts().add("bob", Role::Student, "two\nlines", error));

    struct Case {
        std::string name, password;
        bool signsIn;
        std::string audited;
    } cases[] = {
        {"alice", "alice-pw", true, "sign-in alice"},
        {"tina", "tina-pw", true, "sign-in tina"},
        {"alice", "tina-pw", false, "sign-in-refused alice wrong password"},
        {"alice", "", false, "sign-in-refused alice a password is"},
        {"mallory", "x", false, "sign-in-refused mallory no such user"},
        {"evil\nname", "x", false, "sign-in-refused evil?name a user name is"},
    };
    for (const Case &c : cases) {
        const auto token = store->accounts().signIn(c.name, c.password);
        ASSERT_EQ(token.has_value(), c.signsIn) << c.name << " / " << c.password;
        if (token) {
            const auto who = store->accounts().check(*token);
            ASSERT_TRUE(who);
            EXPECT_EQ(who->name, c.name);
            EXPECT_EQ(who->role, c.name == "tina" ? Role::Teacher : Role::Student);
        }
        EXPECT_TRUE(anyLineHas(store->audit().lines(), c.audited)) << c.audited;
    }
    const auto stored = store->transaction([](lab::Database &db) {
        return db.run("SELECT u.password_hash, t.digest FROM users u JOIN tokens t ON t.user_name = u.name "
                      "WHERE u.name = 'alice'");
    });
    ASSERT_EQ(stored.rows.size(), 1u);
    EXPECT_EQ(stored.rows[0].text(0).rfind("$argon2id$", 0), 0u);
    EXPECT_FALSE(anyLineHas(store->audit().lines(), "-pw"));

    const std::vector<lab::Identity> listed = store->accounts().list();
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[1].name, "tina");
    EXPECT_TRUE(store->accounts().remove("alice"));
    EXPECT_FALSE(store->accounts().signIn("alice", "alice-pw"));
    EXPECT_FALSE(store->accounts().remove("alice"));
}

TEST_P(AccountsTest, TokensExpireAfterTwelveHoursAndEndAtSignOut)
{
    auto store = open();
    addUsers(*store, {{"alice", Role::Student}});
    const std::string kept = *store->accounts().signIn("alice", "alice-pw");
    const std::string ended = *store->accounts().signIn("alice", "alice-pw");
    EXPECT_NE(kept, ended);
    EXPECT_EQ(kept.size(), 64u);
    const auto digests = store->transaction([](lab::Database &db) { return db.run("SELECT digest FROM tokens"); });
    for (const lab::Row &row : digests.rows)
        EXPECT_TRUE(row.text(0) != kept && row.text(0) != ended);

    EXPECT_TRUE(store->accounts().signOut(ended));
    EXPECT_FALSE(store->accounts().signOut(ended));
    EXPECT_FALSE(store->accounts().check(ended));
    for (const std::string &forged : {std::string(), std::string(64, 'g'), std::string(64, '0'), kept + "0"})
        EXPECT_FALSE(store->accounts().check(forged)) << forged;

    advance(lab::kTokenSeconds - 1);
    EXPECT_TRUE(store->accounts().check(kept));
    advance(1);
    EXPECT_FALSE(store->accounts().check(kept));
}

TEST_P(AccountsTest, ClassListImportsWholeOrNamesTheBadLine)
{
    auto store = open();
    addUsers(*store, {{"zoe", Role::Student}});
    struct Case {
        std::string csv;
        int added; // -1: refused
        std::string error;
    } cases[] = {
        {"name,role,password\nann,student,a1\n\r\nben,teacher,\"b,\"\"2\"\"\"\r\n", 2, ""},
        {"cat,admin,c1\n", 1, ""},
        {"dan,student,d1\ned,pupil,e1\n", -1, "line 2: the role is student, teacher or admin, not 'pupil'"},
        {"dan,student,d1\n\ned,student\n", -1, "line 3: expected name,role,password but found 2 fields"},
        {"dan,student,d1\ndan,teacher,d2\n", -1, "line 2: dan is listed already on line 1"},
        {"dan,student,d1\nzoe,student,z\n", -1, "line 2: zoe already has an account"},
        {"dan,student,\"d1\nstill open\n", -1, "line 1: a quoted field does not end"},
        {"dan,student,\n", -1, "line 1: a password is"},
    };
    for (const Case &c : cases) {
        int added = -1;
        std::string error;
        const std::size_t before = store->accounts().list().size();
        const bool ok = store->accounts().importClassList(c.csv, added, error);
        EXPECT_EQ(ok, c.added >= 0) << c.csv;
        if (ok)
            EXPECT_EQ(added, c.added);
        else
            EXPECT_EQ(error.substr(0, c.error.size()), c.error) << error;
        EXPECT_EQ(store->accounts().list().size(), before + std::max(0, c.added)) << c.csv;
    }
    EXPECT_TRUE(store->accounts().signIn("ben", "b,\"2\""));
    const auto cat = store->accounts().check(*store->accounts().signIn("cat", "c1"));
    ASSERT_TRUE(cat);
    EXPECT_EQ(cat->role, Role::Admin);
}

} // namespace
