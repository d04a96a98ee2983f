#include "options.h"

#include "cli_texts.h"
#include "host_port.h"
#include "lab_client.h"
#include "number_text.h"

#include <QCoreApplication>

#include <cstdlib>
#include <filesystem>
#include <set>

namespace cli {

namespace {

const std::set<std::string> kCommands = {"list", "info", "configure", "set", "read", "test", "wave", "login", "logout"};

bool isOption(const std::string &a) { return a.size() > 1 && a[0] == '-'; }

} // namespace

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
        } else if (a == "--print-token") {
            o.printToken = true;
        } else if (a == "--lab" || a == "--kind") {
            if (!value(i, a == "--lab" ? o.lab : o.kind))
                return false;
            brixo::LabUrl url;
            std::string why;
            if (a == "--lab" && !brixo::parseLabUrl(o.lab, url, why)) {
                error = QCoreApplication::translate("cli", "无效的值：%1").arg(QString::fromStdString(a + " " + o.lab));
                return false;
            }
        } else if (a == "--wait") {
            uint64_t n = 0;
            if (!value(i, v))
                return false;
            if (!parseNumber(v, n) || n < 1 || n > 86400) {
                error = QCoreApplication::translate("cli", "无效的值：%1").arg(QString::fromStdString(a + " " + v));
                return false;
            }
            o.waitSeconds = int(n);
        } else if (a == "--keys-active-low") {
            o.sim.keysActiveLow = true;
        } else if (a == "--dump-vcd") {
            if (!value(i, v))
                return false;
            // brixo-labd checks the folder and writes the file; it may run elsewhere than here.
            o.sim.extraArgs.insert(o.sim.extraArgs.end(), {"--dump-vcd", std::filesystem::absolute(v).string()});
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
            if (!brixo::parseHostPort(o.server, host, port)) {
                error =
                    QCoreApplication::translate("cli", "无效的值：%1").arg(QString::fromStdString(a + " " + o.server));
                return false;
            }
        } else if (a == "--junit" || a == "--panel" || a == "--top" || a == "--simulator" || a == "--name" ||
                   a == "--vcd" || a == "--svg" || a == "--png" || a == "--signals") {
            if (!value(i, v))
                return false;
            (a == "--junit"     ? o.junit
             : a == "--panel"   ? o.panel
             : a == "--top"     ? o.sim.top
             : a == "--name"    ? o.name
             : a == "--vcd"     ? o.vcd
             : a == "--svg"     ? o.svg
             : a == "--png"     ? o.png
             : a == "--signals" ? o.waveSignals
                                : o.sim.simulator) = v;
        } else if (a == "--clock-hz") {
            if (!value(i, v))
                return false;
            char *end = nullptr;
            o.sim.clockHz = std::strtod(v.c_str(), &end);
            // The range brixo-labd takes.
            if (v.empty() || *end || !(o.sim.clockHz >= 0.001) || o.sim.clockHz > 1e8) {
                error = QCoreApplication::translate("cli", "无效的值：%1").arg(QString::fromStdString(a + " " + v));
                return false;
            }
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
    if (int(o.adapterGiven) + int(!o.server.empty()) + int(!o.sim.files.empty()) + int(!o.lab.empty()) > 1) {
        error = QCoreApplication::translate("cli", "--adapter、--server、--sim 和 --lab 只能选一个");
        return false;
    }
    if (o.lab.empty() && !o.kind.empty()) {
        error = QCoreApplication::translate("cli", "选项 --kind 只能与 --lab 一起使用");
        return false;
    }
    if (!o.lab.empty() && (o.command == "info" || o.command == "wave" || o.command == "login")) {
        error = QCoreApplication::translate("cli", "选项 %1 不能用于命令 %2")
                    .arg(QStringLiteral("--lab"), QString::fromStdString(o.command));
        return false;
    }
    if (o.sim.files.empty() && (!o.sim.top.empty() || !o.sim.simulator.empty() || o.sim.keysActiveLow ||
                                o.sim.clockHz > 0 || !o.sim.extraArgs.empty())) {
        error = QCoreApplication::translate(
            "cli", "选项 --top、--simulator、--keys-active-low、--clock-hz 和 --dump-vcd 只能与 --sim 一起使用");
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
        misplaced(!o.name.empty(), "--name", {"test"}) || misplaced(o.json, "--json", {"list", "info", "read"}) ||
        misplaced(!o.vcd.empty(), "--vcd", {"test"}) || misplaced(!o.svg.empty(), "--svg", {"wave"}) ||
        misplaced(!o.png.empty(), "--png", {"wave"}) || misplaced(!o.waveSignals.empty(), "--signals", {"wave"}) ||
        misplaced(o.printToken, "--print-token", {"login"}))
        return false;
    if (o.command == "login" || o.command == "logout") {
        brixo::LabUrl url;
        std::string why;
        const size_t most = o.command == "login" ? 2 : 1;
        if ((o.command == "login" && o.args.empty()) || o.args.size() > most ||
            (o.command == "logout" && o.args.empty() && o.lab.empty()) ||
            (!o.args.empty() && !brixo::parseLabUrl(o.args[0], url, why))) {
            error = o.command == "login"
                        ? QCoreApplication::translate("cli", "login 需要实验室服务器的地址 URL [用户名]")
                        : QCoreApplication::translate("cli", "logout 需要实验室服务器的地址 URL");
            return false;
        }
        return true;
    }
    if (o.command == "wave" && (o.args.size() != 1 || (o.svg.empty() && o.png.empty()))) {
        error = QCoreApplication::translate("cli", "wave 需要一个 .vcd 文件和 --svg 或 --png");
        return false;
    }
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
  test VECTORS            运行测试向量文件：每个失败或出错的行打印一行，最后一行总是
                          "N passed, M failed, E errors"（没有出错的行时不写
                          ", E errors"）；全部通过时退出码为 0
    --vcd FILE            把运行记录为波形文件（VCD，可用 GTKWave 打开）：输入、读回的
                          输出和每行的行号（"$comment line N $end"，在该行读输出的时刻）
  wave FILE.vcd           把波形文件画成时序图：总线为两次变化之间的十六进制值，单个位
                          为线，下方为时间轴；黑白打印也清楚
    --svg OUT.svg         写 SVG
    --png OUT.png         写 PNG（用 rsvg-convert 画出 SVG）
    --signals LIST        要画的信号，用逗号分隔，可取一部分，例如
                          sw[3:0],key[0],ledr[4:0],hex0（默认：全部）
  login URL [USER]        登录实验室服务器：从标准输入读取用户名（没有给出时）和密码，
                          各一行（终端上不回显），令牌保存在用户的配置目录中（只有本人可读）
    --print-token         把令牌打印到标准输出，不保存
  logout [URL]            注销并删除保存的令牌（URL 默认为 --lab 的值）
  grade VECTORS DIR...    在仿真中给全班评分：每个文件夹是一名学生的设计（其中的 .v 和 .sv
                          文件），像 --sim 加 test 那样测试，同时测试 N 名；每名学生一行，
                          最后是汇总。也接受 --top、--simulator、--keys-active-low、
                          --clock-hz、--panel 和 --junit（一个文件，每名学生一个测试套件）
    -j N                  同时测试 N 名学生（默认：处理器核数）
    --csv FILE            写 CSV 报告：每名学生一行
    --timeout SECONDS     一名学生的整个运行最多的秒数（默认 120）
    --no-sandbox          设计可信时不用沙箱运行（否则无法建立沙箱时拒绝评分）

选择实验板（只能选一个）：
  --adapter N             第 N 个调试适配器（默认 0）
  --server HOST:PORT      远程实验服务器
  --sim FILE.v ...        用 brixo-labd 仿真这些 Verilog 文件，并连接到它
    --top NAME            顶层模块
    --simulator NAME      iverilog（默认）或 verilator
    --keys-active-low     设计的按键按下时为 0（常见实验板的按键都是这样）
    --clock-hz HZ         自由运行时钟的频率（默认 1000）
    --dump-vcd FILE       仿真器把设计自己的全部信号（也有内部的）写入 FILE（VCD 波形）
  --lab URL               实验室服务器（http[s]://主机:端口）：set、read、configure 和 test
                          在队列中等待一块实验板（在标准错误上显示排队位置），用完归还
                          （Ctrl+C 时也归还）；list 列出实验室的实验板。令牌来自
                          BRIXO_LAB_TOKEN 或 login
    --kind KIND           要排队的实验板种类（实验室只有一种时可省略）
    --wait SECONDS        在队列中最多等待的秒数（默认 3600）

其他选项：
  --json                  list、info 和 read 以 JSON 输出
  --quiet, -q             不显示进度条和成功信息
  --junit FILE            test：写 JUnit XML 报告（每行一个测试用例）
  --name NAME             test：JUnit 测试套件的名称；用例的类名为 NAME.向量文件名
                          （默认：仿真时为顶层模块名加向量文件名）
  --panel FILE.jvp        test：使用面板的编号（绿色 LED 为 18..35），拒绝面板没有的列
  --help, -h              显示本帮助
  --version               显示版本

测试向量文件：第一行是列名，之后每行一个测试；# 开始注释；用空白或逗号分隔。
  输入列：S<n>、K<n>，或范围 S7..S4、K3..K0（先写最高位），值为数字。
          按键值 1 为按住，0 为松开，P 为在读输出之前按下再松开（一个时钟脉冲），
          P*N 为按下再松开 N 次。
  控制列：CYCLES（仿真时：写入输入后、读输出前运行的时钟周期数；有这一列时仿真的
          时间只按它前进，结果可重现；实验板上不能用），WAIT_MS（读输出前等待的毫秒数）。
  输出列：R<n>、G<n>（绿色 LED 从 0 编号），范围如 R3..R0；D<n>（数码管 n 显示的
          十六进制字符，- 为不亮）；CPU<bits>（CPU 数据的低位，十六进制）。x 表示不关心。
  每行：开关和按住的按键各写一次，然后是脉冲，再读一次输出并比较。失败行给出
  行号、列名、期望值和读到的值。出错的行（例如设计没有稳定下来）给出行号和原因，
  仿真的设计随后从复位重新开始。

退出码：0 成功；1 测试失败（有失败或出错的行）；2 用法错误；3 工具、其安装或与实验板
的连接出错（按 LANG 的语言给出说明）；4 仿真的设计未能编译或启动（编译错误、端口问题、
在第一行之前结束或没有稳定下来）。
)");
}

} // namespace cli
