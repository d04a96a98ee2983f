#include "grade_options.h"

#include "number_text.h"

#include <QCoreApplication>

#include <cstdlib>
#include <set>

namespace cli {

namespace {

// Every option of brixo-cli that takes a value, so the command word is not mistaken for one.
const std::set<std::string> kValueOptions = {"--adapter",  "--server", "--junit",   "--panel", "--top", "--simulator",
                                             "--clock-hz", "--csv",    "--timeout", "-j",      "--name"};
const std::set<std::string> kCommandWords = {"list", "info", "configure", "set", "read", "test", "grade"};

constexpr int kMaxJobs = 128;
constexpr double kMaxTimeout = 24 * 3600;

bool isOption(const std::string &a) { return a.size() > 1 && a[0] == '-'; }

QString q(const std::string &s) { return QString::fromStdString(s); }

} // namespace

bool isGradeCommand(const std::vector<std::string> &argv)
{
    for (size_t i = 0; i < argv.size(); ++i) {
        const std::string &a = argv[i];
        if (kValueOptions.count(a)) {
            ++i;
        } else if (a == "--sim") {
            while (i + 1 < argv.size() && !isOption(argv[i + 1]) && !kCommandWords.count(argv[i + 1]))
                ++i;
        } else if (!isOption(a)) {
            return a == "grade";
        }
    }
    return false;
}

bool parseGradeOptions(const std::vector<std::string> &argv, GradeOptions &o, QString &error)
{
    o = GradeOptions();
    const auto value = [&](size_t &i, std::string &to) {
        if (i + 1 >= argv.size()) {
            error = QCoreApplication::translate("cli", "选项 %1 缺少参数").arg(q(argv[i]));
            return false;
        }
        to = argv[++i];
        return true;
    };
    const auto invalid = [&](const std::string &option, const std::string &v) {
        error = QCoreApplication::translate("cli", "无效的值：%1").arg(q(option + " " + v));
        return false;
    };
    bool command = false, onlyArguments = false;
    std::vector<std::string> words;
    for (size_t i = 0; i < argv.size(); ++i) {
        const std::string &a = argv[i];
        std::string v;
        if (onlyArguments || !isOption(a)) {
            // The first word is the command itself.
            if (command)
                words.push_back(a);
            command = true;
        } else if (a == "--") {
            onlyArguments = true;
        } else if (a == "-h" || a == "--help") {
            o.help = true;
        } else if (a == "--version") {
            o.version = true;
        } else if (a == "--quiet" || a == "-q") {
            o.quiet = true;
        } else if (a == "--keys-active-low") {
            o.keysActiveLow = true;
        } else if (a == "--no-sandbox") {
            o.noSandbox = true;
        } else if (a == "--panel" || a == "--top" || a == "--simulator" || a == "--junit" || a == "--csv") {
            if (!value(i, v))
                return false;
            (a == "--panel"       ? o.panel
             : a == "--top"       ? o.top
             : a == "--simulator" ? o.simulator
             : a == "--junit"     ? o.junit
                                  : o.csv) = v;
        } else if (a == "-j" || (a.rfind("-j", 0) == 0 && a.size() > 2)) {
            if (a.size() > 2)
                v = a.substr(2);
            else if (!value(i, v))
                return false;
            uint64_t n = 0;
            if (!parseNumber(v, n) || n < 1 || n > uint64_t(kMaxJobs))
                return invalid("-j", v);
            o.jobs = int(n);
        } else if (a == "--clock-hz") {
            if (!value(i, o.clockHz))
                return false;
            char *end = nullptr;
            const double hz = std::strtod(o.clockHz.c_str(), &end);
            // The range brixo-labd takes.
            if (o.clockHz.empty() || *end || !(hz >= 0.001) || hz > 1e8)
                return invalid(a, o.clockHz);
        } else if (a == "--timeout") {
            if (!value(i, v))
                return false;
            char *end = nullptr;
            const double s = std::strtod(v.c_str(), &end);
            if (v.empty() || *end || !(s > 0) || s > kMaxTimeout)
                return invalid(a, v);
            o.timeout = s;
        } else if (kValueOptions.count(a) || a == "--sim" || a == "--json") {
            error = QCoreApplication::translate("cli", "选项 %1 不能用于命令 %2").arg(q(a), QStringLiteral("grade"));
            return false;
        } else {
            error = QCoreApplication::translate("cli", "未知的选项：%1").arg(q(a));
            return false;
        }
    }
    if (o.help || o.version)
        return true;
    if (words.size() < 2) {
        error = QCoreApplication::translate("cli", "grade 需要一个测试向量文件和至少一个学生文件夹");
        return false;
    }
    o.vectors = words[0];
    o.dirs.assign(words.begin() + 1, words.end());
    return true;
}

} // namespace cli
