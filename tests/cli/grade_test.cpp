// `brixo-cli grade` over a small class with the real brixo-labd and Icarus Verilog: the line per
// student, the summary, the merged JUnit file and the CSV; a student who outruns the time limit
// leaves nothing running; and the CI examples' script fails the job as the design deserves.
#include "run_process.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <dirent.h>
#include <fstream>
#include <set>
#include <sstream>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

const std::string kVectors = BRIXO_SOURCE_DIR "/examples/verilog/adder.vectors";
const std::string kStrangeName = "eve, \"jr\" x";

std::string adder()
{
    std::ifstream f(BRIXO_SOURCE_DIR "/examples/verilog/adder.v");
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

std::string replaced(std::string text, const std::string &from, const std::string &to)
{
    const size_t at = text.find(from);
    return at == std::string::npos ? "(not found: " + from + ")" : text.replace(at, from.size(), to);
}

struct Suite {
    std::string name;
    int tests = 0, failures = 0, errors = 0;
    bool operator==(const Suite &o) const
    {
        return name == o.name && tests == o.tests && failures == o.failures && errors == o.errors;
    }
};

std::ostream &operator<<(std::ostream &out, const Suite &s)
{
    return out << s.name << " " << s.tests << "/" << s.failures << "/" << s.errors;
}

// The suites of a JUnit file, counted from their test cases; one "(unreadable)" when it is no XML.
std::vector<Suite> readSuites(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {{"(missing)"}};
    QXmlStreamReader xml(&f);
    std::vector<Suite> suites;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("testsuite"))
            suites.push_back({xml.attributes().value(QStringLiteral("name")).toString().toStdString()});
        else if (suites.empty())
            continue;
        else if (xml.name() == QLatin1String("testcase"))
            ++suites.back().tests;
        else if (xml.name() == QLatin1String("failure"))
            ++suites.back().failures;
        else if (xml.name() == QLatin1String("error"))
            ++suites.back().errors;
    }
    return xml.hasError() ? std::vector<Suite>{{"(unreadable)"}} : suites;
}

std::vector<std::string> linesOf(const std::string &text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// This process's children: with it the subreaper, whatever a run left behind is handed to it.
std::vector<int> children()
{
    std::vector<int> found;
    DIR *proc = ::opendir("/proc");
    while (const dirent *e = proc ? ::readdir(proc) : nullptr) {
        std::ifstream f(std::string("/proc/") + e->d_name + "/stat");
        std::string line;
        if (!std::getline(f, line) || line.rfind(')') == std::string::npos)
            continue;
        std::istringstream rest(line.substr(line.rfind(')') + 2));
        char state;
        int parent = 0;
        rest >> state >> parent;
        if (parent == ::getpid())
            found.push_back(std::atoi(e->d_name));
    }
    if (proc)
        ::closedir(proc);
    return found;
}

class Grade : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("tmp")));
        ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    }
    std::string path(const std::string &name) const { return dir.filePath(QString::fromStdString(name)).toStdString(); }
    std::string student(const std::string &name, const std::string &file = "", const std::string &text = "")
    {
        QDir(dir.path()).mkpath(QString::fromStdString("class/" + name));
        const std::string folder = path("class/" + name);
        if (!file.empty())
            std::ofstream(folder + "/" + file) << text;
        return folder;
    }
    ProcessResult run(std::vector<std::string> args)
    {
        return runProcess(args, {"LANG=C", "LC_ALL=", "LC_MESSAGES=", "TMPDIR=" + path("tmp")}, {}, 120000);
    }
    QTemporaryDir dir;
};

TEST_F(Grade, GradesAClassStudentByStudent)
{
    const std::string wrong = replaced(adder(), " + SW[8];", ";"); // no carry in
    const std::string broken = replaced(adder(), "assign LEDR = sum;", "assign LEDR = sum");
    const std::vector<std::string> folders = {
        student("alice", "adder.v", adder()),      student("bob", "adder.v", wrong),
        student("carol", "adder.v", broken),       student("dave", "notes.txt", "no design"),
        student(kStrangeName, "adder.v", adder()),
    };
    // Toggles itself in the same instant for ever: never ready within a second.
    const std::string spin =
        student("spin", "spin.v",
                "module spin(input [3:0] SW, output [4:0] LEDR);\n"
                "    reg r = 0;\n    always @(r) r <= ~r;\n    assign LEDR = {SW, r};\nendmodule\n");
    const QString junit = dir.filePath(QStringLiteral("class.xml")), csv = dir.filePath(QStringLiteral("class.csv"));
    struct Case {
        std::vector<std::string> args, students;
        int code;
        std::set<std::string> lines; // one per student, printed as each finishes
        std::string summary, err;
        std::vector<Suite> suites;
        std::string csv;
    } cases[] = {
        {{"-j", "2", "--junit", junit.toStdString(), "--csv", csv.toStdString(), kVectors},
         folders,
         0,
         {"alice: 6 passed, 0 failed", "bob: 4 passed, 2 failed", "carol: did not build: adder.v:12: syntax error",
          "dave: no design files", kStrangeName + ": 6 passed, 0 failed"},
         "5 students: 2 passed every row, 1 failed rows, 1 did not build, 1 had no design files",
         "",
         {{"alice", 6, 0, 0}, {"bob", 6, 2, 0}, {"carol", 6, 0, 6}, {"dave", 6, 0, 6}, {kStrangeName, 6, 0, 0}},
         "name,passed,failed,errors,status\nalice,6,0,0,passed\nbob,4,2,0,failed\ncarol,0,0,6,did-not-build\n"
         "dave,0,0,6,no-design-files\n\"eve, \"\"jr\"\" x\",6,0,0,passed\n"},
        {{"--timeout", "1", "--junit", junit.toStdString(), kVectors},
         {spin},
         0,
         {"spin: timed out after 1 s"},
         "1 students: 0 passed every row, 0 failed rows, 0 did not build, 1 timed out",
         "",
         {{"spin", 6, 0, 6}},
         ""},
        {{kVectors},
         {path("class/nobody")},
         2,
         {},
         "",
         "brixo-cli: not a folder: " + path("class/nobody") + "\n",
         {},
         ""},
    };
    for (Case &c : cases) {
        QFile::remove(junit);
        QFile::remove(csv);
        c.args.insert(c.args.begin(), {BRIXO_CLI, "grade"});
        c.args.insert(c.args.end(), c.students.begin(), c.students.end());
        const ProcessResult r = run(c.args);
        SCOPED_TRACE(c.args[2]);
        EXPECT_EQ(r.exitCode, c.code) << r.err;
        EXPECT_EQ(r.err, c.err);
        std::vector<std::string> lines = linesOf(r.out);
        const std::string summary = lines.empty() ? "" : lines.back();
        if (!lines.empty())
            lines.pop_back();
        EXPECT_EQ(std::set<std::string>(lines.begin(), lines.end()), c.lines) << r.out;
        EXPECT_EQ(lines.size(), c.lines.size()) << r.out;
        EXPECT_EQ(summary, c.summary);
        if (c.code == 0) {
            EXPECT_EQ(readSuites(junit), c.suites);
        }
        if (!c.csv.empty()) {
            // Every field but the seconds, which vary.
            QFile f(csv);
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            std::string fields;
            for (const QByteArray &row : f.readAll().split('\n'))
                if (!row.isEmpty())
                    fields += row.left(row.lastIndexOf(',')).toStdString() + "\n";
            EXPECT_EQ(fields, c.csv);
        }
        // Nothing runs on, and no temporary file is left.
        EXPECT_EQ(children(), std::vector<int>());
        EXPECT_EQ(QDir(dir.filePath(QStringLiteral("tmp"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                  QStringList());
    }
}

// The CI examples run grade.sh; the job fails unless every row passes, with the JUnit report
// written either way.
TEST_F(Grade, CiScriptFailsTheJobUnlessEveryRowPasses)
{
    const struct {
        std::string design;
        int code;
        Suite suite;
    } cases[] = {
        {student("right", "adder.v", adder()), 0, {"", 6, 0, 0}},
        {student("wrong", "adder.v", replaced(adder(), " + SW[8];", ";")), 1, {"", 6, 2, 0}},
        {student("broken", "adder.v", replaced(adder(), "endmodule", "")), 4, {"", 6, 0, 6}},
    };
    const QString report = dir.filePath(QStringLiteral("report.xml"));
    for (const auto &c : cases) {
        QFile::remove(report);
        const ProcessResult r = runProcess(
            {"/bin/bash", BRIXO_SOURCE_DIR "/examples/ci/grade.sh", "run", kVectors, c.design + "/adder.v"},
            {"BRIXO_CLI=" BRIXO_CLI, "REPORT=" + report.toStdString(), "LANG=C", "LC_ALL=", "TMPDIR=" + path("tmp")},
            {}, 120000);
        EXPECT_EQ(r.exitCode, c.code) << c.design << "\n" << r.out << r.err;
        std::vector<Suite> suites = readSuites(report);
        if (suites.size() == 1)
            suites[0].name.clear(); // brixo-cli test's own naming
        EXPECT_EQ(suites, std::vector<Suite>{c.suite}) << c.design;
    }
}

} // namespace
