#include "options.h"

#include "cli_texts.h"
#include "number_text.h"

#include <QCoreApplication>
#include <set>

namespace cli {

namespace {

const std::set<std::string> kCommands = {"list", "info", "configure", "set", "read", "test"};

bool isOption(const std::string &a) { return a.size() > 1 && a[0] == '-'; }

} // namespace

bool splitHostPort(const std::string &text, std::string &host, int &port)
{
    const size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0)
        return false;
    uint64_t p = 0;
    Radix radix;
    if (!parseNumber(text.substr(colon + 1), p, &radix) || radix != Radix::Decimal || p < 1 || p > 65535)
        return false;
    host = text.substr(0, colon);
    port = int(p);
    return true;
}

bool parseOptions(const std::vector<std::string> &argv, Options &o, QString &error)
{
    o = Options();
    const auto value = [&](size_t &i, std::string &to) {
        if (i + 1 >= argv.size()) {
            error = QCoreApplication::translate("cli", "选项 %1 缺少参数").arg(QString::fromStdString(argv[i]));
            return false;
        }
        to = argv[++i];
        return true;
    };
    for (size_t i = 0; i < argv.size(); ++i) {
        const std::string &a = argv[i];
        std::string v;
        if (a == "-h" || a == "--help") {
            o.help = true;
        } else if (a == "--version") {
            o.version = true;
        } else if (a == "--json") {
            o.json = true;
        } else if (a == "--quiet" || a == "-q") {
            o.quiet = true;
        } else if (a == "--keys-active-low") {
            o.sim.keysActiveLow = true;
        } else if (a == "--adapter") {
            uint64_t n = 0;
            if (!value(i, v))
                return false;
            if (!parseNumber(v, n) || n >= 10) {
                error = QCoreApplication::translate("cli", "无效的值：%1").arg(QString::fromStdString(a + " " + v));
                return false;
            }
            o.adapter = int(n), o.adapterGiven = true;
        } else if (a == "--server") {
            if (!value(i, o.server))
                return false;
            std::string host;
            int port;
            if (!splitHostPort(o.server, host, port)) {
                error =
                    QCoreApplication::translate("cli", "无效的值：%1").arg(QString::fromStdString(a + " " + o.server));
                return false;
            }
        } else if (a == "--junit" || a == "--panel" || a == "--top" || a == "--simulator") {
            if (!value(i, v))
                return false;
            (a == "--junit" ? o.junit : a == "--panel" ? o.panel : a == "--top" ? o.sim.top : o.sim.simulator) = v;
        } else if (a == "--sim") {
            // The design's files run up to the next option or the command.
            while (i + 1 < argv.size() && !isOption(argv[i + 1]) && !kCommands.count(argv[i + 1]))
                o.sim.files.push_back(argv[++i]);
            if (o.sim.files.empty()) {
                error = QCoreApplication::translate("cli", "选项 %1 缺少参数").arg(QString::fromStdString(a));
                return false;
            }
        } else if (isOption(a)) {
            error = QCoreApplication::translate("cli", "未知的选项：%1").arg(QString::fromStdString(a));
            return false;
        } else if (o.command.empty()) {
            if (!kCommands.count(a)) {
                error = QCoreApplication::translate("cli", "未知的命令：%1").arg(QString::fromStdString(a));
                return false;
            }
            o.command = a;
        } else {
            o.args.push_back(a);
        }
    }
    if (o.help || o.version)
        return true;
    if (o.command.empty()) {
        error = QCoreApplication::translate("cli", "缺少命令；用 --help 查看用法");
        return false;
    }
    if (int(o.adapterGiven) + int(!o.server.empty()) + int(!o.sim.files.empty()) > 1) {
        error = QCoreApplication::translate("cli", "--adapter、--server 和 --sim 只能选一个");
        return false;
    }
    if (o.sim.files.empty() && (!o.sim.top.empty() || !o.sim.simulator.empty() || o.sim.keysActiveLow)) {
        error =
            QCoreApplication::translate("cli", "选项 --top、--simulator 和 --keys-active-low 只能与 --sim 一起使用");
        return false;
    }
    const auto misplaced = [&](bool given, const char *option, std::set<std::string> commands) {
        if (given && !commands.count(o.command)) {
            error = QCoreApplication::translate("cli", "选项 %1 不能用于命令 %2")
                        .arg(QLatin1String(option), QString::fromStdString(o.command));
            return true;
        }
        return false;
    };
    if (misplaced(!o.junit.empty(), "--junit", {"test"}) || misplaced(!o.panel.empty(), "--panel", {"test"}) ||
        misplaced(o.json, "--json", {"list", "info", "read"}))
        return false;
    const bool oneFile = o.command == "configure" || o.command == "test";
    if ((oneFile && o.args.size() != 1) || ((o.command == "list" || o.command == "info") && !o.args.empty())) {
        error = o.command == "configure" ? QCoreApplication::translate("cli", "configure 需要一个 .rbf 文件")
                : o.command == "test"
                    ? QCoreApplication::translate("cli", "test 需要一个测试向量文件")
                    : QCoreApplication::translate("cli", "命令 %1 不带参数").arg(QString::fromStdString(o.command));
        return false;
    }
    if ((o.command == "set" || o.command == "read") && o.args.empty()) {
        error = o.command == "set" ? QCoreApplication::translate("cli", "set 需要至少一个赋值，例如 sw=0x0F")
                                   : QCoreApplication::translate("cli", "read 需要 leds、digits 或 cpu=BITS");
        return false;
    }
    return true;
}

QString helpText()
{
    return QCoreApplication::translate("cli", R"(用法：brixo-cli [选项] 命令 [参数]

通过调试适配器从命令行操作实验板。

命令：
  list                    列出连接的调试适配器，每行一个：序号 名称
  info                    显示调试适配器和片上调试器的信息
  configure FILE.rbf      下载FPGA配置；终端上显示进度条，Ctrl+C 取消
  set 赋值...             写开关和按键寄存器（先打开面板输入）。赋值：
                            sw=VALUE  全部开关，第 i 位为开关 i
                            key=VALUE 全部按键，1 为按下
                            S<n>=0|1  开关 n；K<n>=0|1 按键 n
                          VALUE 可写作 0x…、0b… 或十进制。未提到的开关为 0，按键为松开。
  read 项...              读出并显示：leds（36 位值及红、绿 LED）、
                          digits（8 个段码字节及显示的十六进制字符，? 为非数字，- 为不亮）、
                          cpu=BITS（CPU 数据的低 BITS 位，十六进制）
  test VECTORS            运行测试向量文件：每个失败行打印一行，最后一行为
                          "N passed, M failed"；全部通过时退出码为 0

选择实验板（只能选一个）：
  --adapter N             第 N 个调试适配器（默认 0）
  --server HOST:PORT      远程实验服务器
  --sim FILE.v ...        用 brixo-labd 仿真这些 Verilog 文件，并连接到它
    --top NAME            顶层模块
    --simulator NAME      iverilog（默认）或 verilator
    --keys-active-low     设计的按键按下时为 0

其他选项：
  --json                  list、info 和 read 以 JSON 输出
  --quiet, -q             不显示进度条和成功信息
  --junit FILE            test：写 JUnit XML 报告（每行一个测试用例）
  --panel FILE.jvp        test：使用面板的编号（绿色 LED 为 18..35），拒绝面板没有的列
  --help, -h              显示本帮助
  --version               显示版本

测试向量文件：第一行是列名，之后每行一个测试；# 开始注释；用空白或逗号分隔。
  输入列：S<n>、K<n>，或范围 S7..S4、K3..K0（先写最高位），值为数字。
          按键值 1 为按住，0 为松开，P 为在读输出之前按下再松开（一个时钟脉冲）。
  输出列：R<n>、G<n>（绿色 LED 从 0 编号），范围如 R3..R0；D<n>（数码管 n 显示的
          十六进制字符，- 为不亮）；CPU<bits>（CPU 数据的低位，十六进制）。x 表示不关心。
  每行：开关和按住的按键各写一次，然后是脉冲，再读一次输出并比较。失败行给出
  行号、列名、期望值和读到的值。

退出码：0 成功；1 测试失败；2 用法错误；3 库调用失败（按 LANG 的语言给出说明）。
)");
}

} // namespace cli
