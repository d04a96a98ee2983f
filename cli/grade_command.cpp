#include "grade_command.h"

#include "commands.h"
#include "grade_reports.h"
#include "grade_runner.h"
#include "test_command.h"

#include "child_process.h"
#include "lab_server.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <thread>
#include <unistd.h>

namespace cli {

namespace {

namespace fs = std::filesystem;

// A folder with more is no one student's design.
constexpr size_t kMaxDesignFiles = 256;
// A student's own JUnit report is read up to this size.
constexpr qint64 kMaxReportBytes = 64 << 20;

struct Student {
    size_t index = 0;              // in the command line's order
    std::string dir;               // absolute
    std::string link;              // our own name for it (see runFor)
    std::vector<std::string> dirs; // its spellings in messages
    std::vector<std::string> files;
    bool tooManyFiles = false;
};

QString q(const std::string &s) { return QString::fromStdString(s); }

// The folder, its name and its design files; false (after the message) when it is no folder.
bool findStudent(const std::string &arg, Student &s, StudentResult &r)
{
    std::error_code ec;
    fs::path dir = fs::absolute(arg, ec).lexically_normal();
    if (dir.filename().empty() && dir.has_parent_path())
        dir = dir.parent_path();
    if (ec || !fs::is_directory(dir, ec)) {
        printError(QCoreApplication::translate("cli", "不是文件夹：%1").arg(q(arg)));
        return false;
    }
    s.dir = dir.string();
    s.dirs = {s.dir};
    const fs::path canonical = fs::canonical(dir, ec);
    if (!ec && canonical != dir)
        s.dirs.push_back(canonical.string());
    r.name = QString::fromStdString(dir.filename().string());
    fs::directory_iterator it(dir, ec);
    if (ec) {
        printError(QCoreApplication::translate("cli", "无法读取文件 %1").arg(q(arg)));
        return false;
    }
    for (const fs::directory_entry &e : it) {
        const std::string name = e.path().filename().string();
        const std::string ext = e.path().extension().string();
        if (name[0] == '.' || (ext != ".v" && ext != ".sv") || !e.is_regular_file(ec))
            continue;
        if (s.files.size() == kMaxDesignFiles) {
            s.tooManyFiles = true;
            break;
        }
        s.files.push_back(name);
    }
    std::sort(s.files.begin(), s.files.end());
    return true;
}

std::string selfProgram()
{
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    return n > 0 ? std::string(self, size_t(n)) : std::string();
}

// The run reaches the student's folder through a link in our temporary folder: the tools see
// paths of our own making (the folder's name may hold anything, quotes and newlines too), and
// every file is named by an absolute path, so none looks like an option.
GradeRun runFor(const Student &s, const GradeOptions &o, const std::string &self, const std::string &report,
                const QString &name)
{
    GradeRun run;
    run.dir = s.link;
    run.argv = {self, "--sim"};
    for (const std::string &f : s.files)
        run.argv.push_back(s.link + "/" + f);
    if (!o.top.empty())
        run.argv.insert(run.argv.end(), {"--top", o.top});
    if (!o.simulator.empty())
        run.argv.insert(run.argv.end(), {"--simulator", o.simulator});
    if (!o.clockHz.empty())
        run.argv.insert(run.argv.end(), {"--clock-hz", o.clockHz});
    if (o.keysActiveLow)
        run.argv.push_back("--keys-active-low");
    run.argv.insert(run.argv.end(), {"test", fs::absolute(o.vectors).string()});
    if (!o.panel.empty())
        run.argv.insert(run.argv.end(), {"--panel", fs::absolute(o.panel).string()});
    run.argv.insert(run.argv.end(), {"--junit", report, "--name", name.toStdString()});
    // Past brixo-cli test to its brixo-labd: a student's design is untrusted code.
    run.environment = {o.noSandbox ? "BRIXO_LABD_SANDBOX=off" : "BRIXO_LABD_SANDBOX=require"};
    return run;
}

// "[#######---------]  7/16 students, 2 running, 35 s" on a terminal's standard error.
class ProgressBar {
public:
    ProgressBar(bool on, int total) : on_(on), total_(total) {}
    void finishedOne() { ++done_; }
    void draw(int running)
    {
        if (!on_)
            return;
        constexpr int kWidth = 30;
        const int filled = total_ ? done_ * kWidth / total_ : kWidth;
        const long long seconds = std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - start_).count();
        const QString line = QLatin1Char('[') + QString(filled, QLatin1Char('#')) +
                             QString(kWidth - filled, QLatin1Char('-')) + QStringLiteral("]  ") +
                             QCoreApplication::translate("cli", "%1/%2 名学生，%3 个正在运行，%4 秒")
                                 .arg(done_)
                                 .arg(total_)
                                 .arg(running)
                                 .arg(seconds);
        write(QLatin1Char('\r') + line + QStringLiteral("   "));
        width_ = line.size() + 3;
    }
    void clear()
    {
        if (on_ && width_)
            write(QLatin1Char('\r') + QString(width_, QLatin1Char(' ')) + QLatin1Char('\r'));
        width_ = 0;
    }

private:
    using Clock = std::chrono::steady_clock;
    static void write(const QString &text)
    {
        const QByteArray bytes = text.toUtf8();
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
        std::fflush(stderr);
    }
    bool on_;
    int total_, done_ = 0, width_ = 0;
    Clock::time_point start_ = Clock::now();
};

QByteArray readReport(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() > kMaxReportBytes)
        return QByteArray();
    return f.readAll();
}

bool writeFile(const std::string &path, const QByteArray &bytes)
{
    QSaveFile f(q(path));
    if (f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.commit())
        return true;
    printError(QCoreApplication::translate("cli", "无法写入 %1").arg(q(path)));
    return false;
}

} // namespace

int gradeCommand(const std::vector<std::string> &argv, const QString &version)
{
    GradeOptions o;
    QString error;
    if (!parseGradeOptions(argv, o, error)) {
        printError(error);
        return ExitUsage;
    }
    if (o.help || o.version) {
        printOut(o.help ? helpText() : QStringLiteral("brixo-cli %1\n").arg(version));
        return ExitOk;
    }
    // The vector file and the panel are the class's: checked once, before any student runs.
    Options testOptions;
    testOptions.args = {o.vectors};
    testOptions.panel = o.panel;
    TestPlan plan;
    if (const int rc = prepareTest(testOptions, plan); rc >= 0)
        return rc;
    std::vector<int> rowLines;
    for (const Row &row : plan.table.rows)
        rowLines.push_back(row.line);

    std::vector<Student> students(o.dirs.size());
    std::vector<StudentResult> results(o.dirs.size());
    std::vector<XmlElement> suites(o.dirs.size());
    for (size_t i = 0; i < o.dirs.size(); ++i) {
        students[i].index = i;
        if (!findStudent(o.dirs[i], students[i], results[i]))
            return ExitUsage;
    }
    const std::string self = selfProgram();
    // Refused once for the class rather than once a student: no design runs uncontained unless
    // the teacher says the designs are trusted.
    if (!o.noSandbox) {
        std::string said;
        const int rc = brixo::runTool({brixo::labServerProgram(self), "--sandbox-check"}, "", 10000, said);
        if (rc != 0) {
            while (!said.empty() && said.back() == '\n')
                said.pop_back();
            const std::string prefix = "sandbox: unavailable: ";
            if (said.compare(0, prefix.size(), prefix) == 0)
                said.erase(0, prefix.size());
            const QString text = QCoreApplication::translate(
                "cli", "学生的设计只在沙箱中运行，这里无法建立沙箱（%1）；设计可信时加 --no-sandbox");
            printError(text.arg(q(said)));
            return ExitLibrary;
        }
    }
    holdStopSignals();
    QTemporaryDir temp(QDir::tempPath() + QStringLiteral("/brixo-grade-XXXXXX"));
    if (self.empty() || !temp.isValid()) {
        printError(QCoreApplication::translate("cli", "无法创建临时文件夹"));
        return ExitLibrary;
    }
    // A reader of our output that goes away must not stop the grading before it cleans up.
    std::signal(SIGPIPE, SIG_IGN);

    ProgressBar bar(!o.quiet && ::isatty(STDERR_FILENO), int(students.size()));
    const auto report = [&](size_t i, const QString &output, const QByteArray &own) {
        StudentResult &r = results[i];
        XmlElement suite;
        if (own.isEmpty() || !readTestSuite(own, suite)) {
            if (r.status == StudentResult::Passed || r.status == StudentResult::Failed) {
                r.status = StudentResult::Error;
                r.detail = QCoreApplication::translate("cli", "没有可读的测试报告");
            }
            suite = unrunSuite(r, plan.path, rowLines, statusText(r, o.timeout), output);
        }
        adoptSuite(suite, r, students[i].dirs);
        suites[i] = std::move(suite);
        bar.finishedOne();
        bar.clear();
        printOut(resultLine(r, o.timeout) + QLatin1Char('\n'));
        std::fflush(stdout);
    };

    std::vector<GradeRun> runs;
    std::vector<size_t> runStudent;
    for (Student &s : students) {
        StudentResult &r = results[s.index];
        if (s.files.empty() || s.tooManyFiles) {
            r.status = s.files.empty() ? StudentResult::NoDesign : StudentResult::Error;
            if (s.tooManyFiles)
                r.detail = QCoreApplication::translate("cli", "设计文件超过 %1 个").arg(kMaxDesignFiles);
            report(s.index, QString(), QByteArray());
            continue;
        }
        const QString file = temp.filePath(QStringLiteral("%1.xml").arg(s.index));
        s.link = temp.filePath(QString::number(s.index)).toStdString();
        std::error_code ec;
        fs::create_directory_symlink(s.dir, s.link, ec);
        if (ec) {
            printError(QCoreApplication::translate("cli", "无法创建临时文件夹"));
            return ExitLibrary;
        }
        s.dirs.insert(s.dirs.begin(), s.link);
        runs.push_back(runFor(s, o, self, file.toStdString(), r.name));
        runStudent.push_back(s.index);
    }
    const int parallel = o.jobs ? o.jobs : int(std::max(1u, std::thread::hardware_concurrency()));
    const bool ran = runAll(
        runs, parallel, o.timeout,
        [&](size_t run, const GradeOutcome &outcome) {
            const size_t i = runStudent[run];
            StudentResult &r = results[i];
            r.seconds = outcome.seconds;
            r.status = classifyOutcome(outcome, students[i].dirs, r.detail);
            const bool own = outcome.kind == GradeOutcome::Exited;
            report(i, QString::fromUtf8(outcome.err.data(), int(outcome.err.size())),
                   own ? readReport(temp.filePath(QStringLiteral("%1.xml").arg(i))) : QByteArray());
        },
        [&](int running) { bar.draw(running); });
    bar.clear();
    if (!ran) {
        printError(QCoreApplication::translate("cli", "评分已中断"));
        return ExitLibrary;
    }
    printOut(summaryLine(results) + QLatin1Char('\n'));
    std::fflush(stdout);
    bool written = o.junit.empty() || writeFile(o.junit, mergedJUnit(suites));
    written = (o.csv.empty() || writeFile(o.csv, csvReport(results))) && written;
    return written ? ExitOk : ExitLibrary;
}

} // namespace cli
