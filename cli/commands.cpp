#include "commands.h"

#include "board_io.h"
#include "cli_texts.h"
#include "configure_command.h"
#include "number_text.h"
#include "test_command.h"

#include <QCoreApplication>
#include <vestrix.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <cstring>
#include <memory>

namespace cli {

namespace {

QString q(const std::string &s) { return QString::fromStdString(s); }

int failed(int code)
{
    printError(libraryFailureText(code));
    return ExitLibrary;
}

struct DeviceList {
    char names[VESTRIX_LIST_SIZE] = {};
    int count() const
    {
        int32_t n;
        std::memcpy(&n, names + VESTRIX_LIST_COUNT_OFFSET, sizeof n);
        return n < 0 ? 0 : n > VESTRIX_LIST_SLOTS ? VESTRIX_LIST_SLOTS : n;
    }
    QString name(int i) const
    {
        return QString::fromUtf8(names + i * VESTRIX_LIST_SLOT_SIZE,
                                 int(strnlen(names + i * VESTRIX_LIST_SLOT_SIZE, VESTRIX_LIST_SLOT_SIZE)));
    }
};

// Scans, probing the remote-lab server when one is named; the code of ScanTAMRO.
int scan(const std::string &server, DeviceList &list)
{
    std::string host;
    int port = 0;
    if (!server.empty())
        splitHostPort(server, host, port);
    return ScanTAMRO(list.names, host.empty() ? nullptr : host.c_str(), port);
}

// Connects the board the options choose; the exit code on failure, else -1.
int connectBoard(const Options &o, LabProcess &lab, bool &remote)
{
    std::string server = o.server;
    if (!o.sim.files.empty()) {
        switch (lab.start(o.sim, 120000)) {
        case LabProcess::Ready: break;
        case LabProcess::NotFound:
            printError(QCoreApplication::translate("cli", "找不到 brixo-labd"));
            return ExitLibrary;
        case LabProcess::NotReady:
            printError(QCoreApplication::translate("cli", "等待 brixo-labd 就绪超时"));
            return ExitLibrary;
        case LabProcess::Failed:
            printError(
                QCoreApplication::translate("cli", "brixo-labd 未能启动仿真板（状态 %1）").arg(lab.exitStatus()));
            return ExitLibrary;
        }
        server = "127.0.0.1:" + std::to_string(lab.port());
    }
    DeviceList list;
    scan(server, list);
    remote = !server.empty();
    int index = o.adapter;
    if (remote) {
        // The server is listed after any USB adapters.
        index = -1;
        for (int i = list.count() - 1; i >= 0 && index < 0; --i)
            if (list.name(i) == QLatin1String("Lantrovex"))
                index = i;
        if (index < 0) {
            printError(QCoreApplication::translate("cli", "远程实验服务器 %1 没有应答").arg(q(server)));
            return ExitLibrary;
        }
    } else if (index >= list.count()) {
        printError(
            QCoreApplication::translate("cli", "没有第 %1 个调试适配器（找到 %2 个）").arg(index).arg(list.count()));
        return ExitLibrary;
    }
    const int rc = ConnectDevice(index);
    return rc == 0 ? -1 : failed(rc);
}

int listCommand(const Options &o)
{
    DeviceList list;
    scan(o.server, list);
    if (o.json) {
        QJsonArray array;
        for (int i = 0; i < list.count(); ++i)
            array.append(QJsonObject{{QStringLiteral("index"), i}, {QStringLiteral("name"), list.name(i)}});
        printOut(QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact)) + '\n');
        return ExitOk;
    }
    for (int i = 0; i < list.count(); ++i)
        printOut(QStringLiteral("%1  %2\n").arg(i).arg(list.name(i)));
    return ExitOk;
}

int infoCommand(const Options &o, bool remote)
{
    char date[VESTRIX_TAMRO_DATE_SIZE + 2] = {}, pcb[VESTRIX_TAMRO_PCB_SIZE] = {};
    char chip[VESTRIX_CHIP_TEXT_SIZE] = {};
    unsigned char kind = 0;
    // A remote-lab server has no adapter of ours behind it to ask.
    const int adapterRc = remote ? 0 : ShowTamroInfo(date, pcb, 0);
    if (adapterRc != 0)
        return failed(adapterRc);
    const int chipRc = ShowChipInfo(chip, &kind);
    if (chipRc != 0)
        return failed(chipRc);
    const QString version = QStringLiteral("%1").arg(uint32_t(ver_FPGA), 8, 16, QLatin1Char('0'));
    const QString firmware = QString::fromUtf8(date, int(strnlen(date, sizeof date)));
    if (o.json) {
        QJsonObject adapter;
        if (!remote)
            adapter = {{QStringLiteral("date"), firmware}, {QStringLiteral("pcb"), QString::fromUtf8(pcb)}};
        const QJsonObject out{
            {QStringLiteral("remote"), remote},
            {QStringLiteral("adapter"), adapter},
            {QStringLiteral("debugger"), QJsonObject{{QStringLiteral("version"), version},
                                                     {QStringLiteral("text"), QString::fromUtf8(chip)},
                                                     {QStringLiteral("kind"), int(kind)}}}};
        printOut(QString::fromUtf8(QJsonDocument(out).toJson(QJsonDocument::Compact)) + '\n');
        return ExitOk;
    }
    if (remote)
        printOut(QCoreApplication::translate("cli", "调试适配器：远程实验服务器（无适配器信息）") + '\n');
    else
        printOut(
            QCoreApplication::translate("cli", "调试适配器：固件 %1，PCB %2").arg(firmware, QString::fromUtf8(pcb)) +
            '\n');
    const QString chipText = QString::fromUtf8(chip);
    printOut(QCoreApplication::translate("cli", "片上调试器：版本 %1，%2")
                 .arg(QStringLiteral("0x") + version, chipText.isEmpty() ? QStringLiteral("-") : chipText) +
             '\n');
    return ExitOk;
}

// Switch and key registers from the assignments; false (after the message) on a bad one.
bool parseAssignments(const Options &o, uint64_t &switches, uint64_t &keys)
{
    switches = keys = 0;
    for (const std::string &a : o.args) {
        const size_t eq = a.find('=');
        uint64_t v = 0, n = 0;
        const std::string name = eq == std::string::npos ? a : a.substr(0, eq);
        bool ok = eq != std::string::npos && parseNumber(a.substr(eq + 1), v);
        if (ok && (name == "sw" || name == "key")) {
            ok = v < (uint64_t(1) << (name == "sw" ? 36 : 20));
            (name == "sw" ? switches : keys) = v;
        } else if (ok && name.size() > 1 && (name[0] == 'S' || name[0] == 'K') && parseNumber(name.substr(1), n) &&
                   n < (name[0] == 'S' ? 36u : 20u) && v <= 1) {
            uint64_t &reg = name[0] == 'S' ? switches : keys;
            reg = (reg & ~(uint64_t(1) << n)) | (v << n);
        } else {
            ok = false;
        }
        if (!ok) {
            printError(
                QCoreApplication::translate("cli", "无效的赋值：%1（应为 sw=、key=、S<n>= 或 K<n>=）").arg(q(a)));
            return false;
        }
    }
    return true;
}

int setCommand(uint64_t switches, uint64_t keys)
{
    int rc = enablePanelInput();
    if (rc == 0)
        rc = writeSwitches(switches);
    if (rc == 0)
        rc = writeKeys(uint32_t(keys));
    return rc == 0 ? ExitOk : failed(rc);
}

struct ReadItems {
    bool leds = false, digits = false;
    int cpuBits = 0;
};

bool parseReadItems(const Options &o, ReadItems &items)
{
    for (const std::string &a : o.args) {
        uint64_t n = 0;
        if (a == "leds")
            items.leds = true;
        else if (a == "digits")
            items.digits = true;
        else if (a.rfind("cpu=", 0) == 0 && parseNumber(a.substr(4), n) && n >= 1 && n <= uint64_t(kMaxCpuBits))
            items.cpuBits = int(n);
        else {
            printError(
                QCoreApplication::translate("cli", "无效的读取项：%1（应为 leds、digits 或 cpu=BITS）").arg(q(a)));
            return false;
        }
    }
    return true;
}

int readCommand(const Options &o, const ReadItems &items)
{
    const bool leds = items.leds, digits = items.digits;
    const int cpuBits = items.cpuBits;
    BoardOutputs out;
    int rc = leds ? readLeds(out) : 0;
    if (rc == 0 && digits)
        rc = readDigits(out);
    if (rc == 0 && cpuBits)
        rc = readCpu(cpuBits, out);
    if (rc != 0)
        return failed(rc);
    const QString ledHex = q(formatNumber(out.leds, Radix::Hex, 36));
    const QString red = q(formatNumber(out.leds & 0x3FFFF, Radix::Hex, 18));
    const QString green = q(formatNumber(out.leds >> 18, Radix::Hex, 18));
    QString bytes, shows;
    for (size_t i = 0; i < out.digits.size(); ++i) {
        bytes += QStringLiteral("%1%2")
                     .arg(i ? QStringLiteral(" ") : QString())
                     .arg(out.digits[i], 2, 16, QLatin1Char('0'))
                     .toUpper();
        shows += QLatin1Char(digitCharacter(out.digits[i]));
    }
    const QString cpu = q("0x" + hexOf(out.cpu, cpuBits));
    if (o.json) {
        QJsonObject json;
        if (leds)
            json.insert(QStringLiteral("leds"), QJsonObject{{QStringLiteral("value"), ledHex},
                                                            {QStringLiteral("red"), red},
                                                            {QStringLiteral("green"), green}});
        if (digits) {
            QJsonArray raw;
            for (uint8_t b : out.digits)
                raw.append(int(b));
            json.insert(QStringLiteral("digits"),
                        QJsonObject{{QStringLiteral("bytes"), raw}, {QStringLiteral("shows"), shows}});
        }
        if (cpuBits)
            json.insert(QStringLiteral("cpu"),
                        QJsonObject{{QStringLiteral("bits"), cpuBits}, {QStringLiteral("value"), cpu}});
        printOut(QString::fromUtf8(QJsonDocument(json).toJson(QJsonDocument::Compact)) + '\n');
        return ExitOk;
    }
    if (leds)
        printOut(QStringLiteral("leds %1  red %2  green %3\n").arg(ledHex, red, green));
    if (digits)
        printOut(QStringLiteral("digits %1  shows %2\n").arg(bytes, shows));
    if (cpuBits)
        printOut(QStringLiteral("cpu %1\n").arg(cpu));
    return ExitOk;
}

} // namespace

void printOut(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

void printError(const QString &line)
{
    const QByteArray bytes = (QStringLiteral("brixo-cli: ") + line + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

int runCommand(const Options &o)
{
    if (o.command == "list")
        return listCommand(o);
    // Everything that can be checked without the board is checked before connecting it.
    uint64_t switches = 0, keys = 0;
    ReadItems items;
    TestPlan plan;
    if (o.command == "set" && !parseAssignments(o, switches, keys))
        return ExitUsage;
    if (o.command == "read" && !parseReadItems(o, items))
        return ExitUsage;
    if (o.command == "test") {
        const int rc = prepareTest(o, plan);
        if (rc >= 0)
            return rc;
    }
    LabProcess lab;
    bool remote = false;
    const int rc = connectBoard(o, lab, remote);
    if (rc >= 0)
        return rc;
    if (o.command == "info")
        return infoCommand(o, remote);
    if (o.command == "configure")
        return configureCommand(o);
    if (o.command == "set")
        return setCommand(switches, keys);
    if (o.command == "read")
        return readCommand(o, items);
    return runTest(o, plan);
}

} // namespace cli
