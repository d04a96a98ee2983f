// brixo-labd's user and audit commands, one after another on one SQLite lab database.
#include "lab_command.h"
#include "postgres_server.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

TEST(LabCommandTest, ManagesAccountsAndPrintsTheAudit)
{
    const std::string dir = labtest::makeTempDir();
    std::ofstream(dir + "/lab.json") << R"({"listen": "127.0.0.1:0", "database": "lab.sqlite", "boards": []})";
    std::ofstream(dir + "/class.csv") << "name,role,password\nann,student,a1\nben,teacher,b1\n";
    std::ofstream(dir + "/bad.csv") << "cat,student,c1\ndan,pupil,d1\n";
    const std::string cfg = dir + "/lab.json";
    struct Case {
        std::vector<std::string> args;
        std::string input;
        int status;
        std::string out, err;
    } cases[] = {
        {{"user", "add", "tina", "--role", "teacher", "--config", cfg}, "secret\n", 0, "added tina (teacher)\n", ""},
        {{"user", "add", "tina", "--config", cfg}, "other\n", 1, "", "brixo-labd: tina already has an account\n"},
        {{"user", "add", "sam", "--config", cfg}, "", 1, "", "brixo-labd: no password on standard input\n"},
        {{"user", "import", dir + "/class.csv", "--config", cfg}, "", 0, "added 2 users\n", ""},
        {{"user", "import", dir + "/bad.csv", "--config", cfg}, "", 1, "", "line 2: the role is"},
        {{"user", "remove", "ann", "--config", cfg}, "", 0, "removed ann\n", ""},
        {{"user", "remove", "ann", "--config", cfg}, "", 1, "", "brixo-labd: no user ann\n"},
        {{"user", "list", "--config", cfg}, "", 0, "ben teacher\ntina teacher\n", ""},
        {{"audit", "--config", cfg}, "", 0, "user-added tina teacher\n", ""},
        {{"user", "add", "x", "--role", "root", "--config", cfg}, "", 2, "", "the role is student, teacher or admin"},
        {{"user", "list"}, "", 2, "", "--config lab.json is needed"},
        {{"user", "list", "--role", "admin", "--config", cfg}, "", 2, "", "--role goes with user add"},
        {{"user", "rename", "a", "--config", cfg}, "", 2, "", "unknown command"},
        {{"audit", "--verbose", "--config", cfg}, "", 2, "", "unknown option --verbose"},
        {{"audit", "--config", dir + "/none.json"}, "", 1, "", "none.json: cannot be read"},
    };
    for (const Case &c : cases) {
        std::istringstream in(c.input);
        std::ostringstream out, err;
        EXPECT_EQ(lab::runLabCommand(c.args, in, out, err), c.status) << c.args[1] << err.str();
        EXPECT_NE(out.str().find(c.out), std::string::npos) << out.str();
        EXPECT_NE(err.str().find(c.err), std::string::npos) << err.str();
        EXPECT_EQ(c.out.empty(), out.str().empty()) << out.str();
    }
    std::ostringstream out, err;
    std::istringstream none;
    lab::runLabCommand({"audit", "--config", cfg}, none, out, err);
    EXPECT_EQ(out.str().find("secret"), std::string::npos);
    labtest::removeTempDir(dir);
}

} // namespace
