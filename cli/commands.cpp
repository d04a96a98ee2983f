#include "commands.h"

#include "board_connection.h"
#include "board_session.h"
#include "cli_texts.h"
#include "configure_command.h"
#include "lab_commands.h"
#include "lab_server.h"
#include "number_text.h"
#include "output_text.h"
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

using Layout = brixo::BoardLayout;

QString q(const std::string &s) { return QString::fromStdString(s); }

int failed(int code)
{
    printError(libraryFailureText(code));
    return ExitLibrary;
}

int failed(const brixo::Readback &r)
{
    printError(boardFailureText(r.code, r.message));
    return ExitLibrary;
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
            ok = v <= Layout::mask(name == "sw" ? Layout::switchBits : Layout::keyBits);
            (name == "sw" ? switches : keys) = v;
        } else if (ok && name.size() > 1 && (name[0] == 'S' || name[0] == 'K') && parseNumber(name.substr(1), n) &&
                   n < uint64_t(name[0] == 'S' ? Layout::switches : Layout::keys) && v <= 1) {
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

// The whole switch and key registers in one step that reads nothing back.
int setCommand(BoardConnection &board, uint64_t switches, uint64_t keys)
{
    const int rc = board.enablePanelInput();
    if (rc != 0)
        return failed(rc);
    brixo::Inputs in;
    in.switches = switches;
    in.keys = uint32_t(keys);
    in.reads = {false, false, -1};
    const brixo::Readback r = board.session->step(in);
    return r.ok() ? ExitOk : failed(r);
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

int readCommand(const Options &o, BoardConnection &board, const ReadItems &items)
{
    const bool leds = items.leds, digits = items.digits;
    const int cpuBits = items.cpuBits;
    const brixo::Readback out = board.session->read({leds, digits, cpuBits ? cpuBits : -1});
    if (!out.ok())
        return failed(out);
    const QString ledHex = q(formatNumber(out.leds, Radix::Hex, Layout::ledBits));
    const QString red = q(formatNumber(Layout::redOf(out.leds), Radix::Hex, Layout::redLeds));
    const QString green = q(formatNumber(Layout::greenOf(out.leds), Radix::Hex, Layout::greenLeds));
    QString bytes, shows;
    for (size_t i = 0; i < out.digits.size(); ++i) {
        bytes += QStringLiteral("%1%2")
                     .arg(i ? QStringLiteral(" ") : QString())
                     .arg(out.digits[i], 2, 16, QLatin1Char('0'))
                     .toUpper();
        shows += QLatin1Char(digitCharacter(out.digits[i]));
    }
    const QString cpu = q("0x" + hexOf(out.cpuData, cpuBits));
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
    if (o.command == "login")
        return loginCommand(o);
    if (o.command == "logout")
        return logoutCommand(o);
    if (o.command == "list")
        return o.lab.empty() ? listCommand(o) : labListCommand(o);
    if (o.command == "test")
        return testCommand(o);
    // Everything that can be checked without the board is checked before connecting it.
    uint64_t switches = 0, keys = 0;
    ReadItems items;
    if (o.command == "set" && !parseAssignments(o, switches, keys))
        return ExitUsage;
    if (o.command == "read" && !parseReadItems(o, items))
        return ExitUsage;
    brixo::LabServer lab;
    BoardConnection board;
    const bool session = o.command == "set" || o.command == "read";
    int rc = connectBoard(o, session, lab, board);
    if (rc >= 0)
        return rc;
    if (o.command == "info")
        rc = infoCommand(o, board.remote);
    else if (o.command == "configure")
        rc = board.labHold ? board.labHold->configure(o) : configureCommand(o);
    else if (o.command == "set")
        rc = setCommand(board, switches, keys);
    else
        rc = readCommand(o, board, items);
    finishLab(lab);
    return rc;
}

} // namespace cli
