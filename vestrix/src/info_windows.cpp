// The information windows: the adapter's versions and serial number, the on-chip debugger's
// version (which decides the control-memory chain length), the I/O voltage; the speed and
// power settings.
#include "internal.h"

#include <hostui.h>
#include <tamro.h>
#include <vestrix.h>

#include <cstdio>
#include <cstring>

namespace vestrix {

const char *const kOldFirmwareMark = "(旧版请升级)";
const char *const kIncompatibleChipText = "不兼容的旧版片上调试器！";
const char *const kVoltCaption = "调试适配器电压";

namespace {

std::string bounded(const char *text, size_t size)
{
    return text ? std::string(text, strnlen(text, size)) : std::string();
}

} // namespace

std::string tamroCaption(int32_t language) { return language ? "About Debug Adapter" : "调试适配器信息"; }

std::string tamroText(int32_t language, const char *pcb, const char *firmware, const char *serial)
{
    const char *const lines[2][3] = {{"PCB版本：", "\n固件版本：", "\n序列号："},
                                     {"PCB Version: ", "\nFirmware Version: ", "\nSerial No.: "}};
    const auto &l = lines[language ? 1 : 0];
    return l[0] + std::string(pcb) + l[1] + firmware + l[2] + serial;
}

std::string chipCaption(int32_t language) { return language ? "About On-chip Debugger" : "片上调试器信息"; }

std::string chipText(int32_t version, const char *text)
{
    char head[16];
    std::snprintf(head, sizeof head, "%8X\n", unsigned(version));
    return head + std::string(text ? text : "旧版电路请升级！");
}

std::string voltText(const char *voltage) { return "电压值：" + std::string(voltage) + "V"; }

std::string fallbackFirmwareText(const char *buildTime) { return bounded(buildTime, 11) + kOldFirmwareMark; }

void copyText(char *to, size_t size, const char *from, size_t fromSize)
{
    if (!to || size == 0)
        return;
    const size_t n = from ? std::min(size - 1, strnlen(from, fromSize)) : 0;
    if (n)
        std::memcpy(to, from, n);
    std::memset(to + n, 0, size - n);
}

} // namespace vestrix

using namespace vestrix;

extern "C" {

VESTRIX_API VestrixResult ShowTamroInfo(char *dateText, char *pcbVersion, int /*form*/)
{
    // Sized for what tamro writes on either path, one spare byte keeping each terminated.
    char pcb[17] = {}, date[31] = {}, serial[10] = {}, reserved4[8] = {}, identifier[26] = {}, firmware[21] = {},
         reserved7[40] = {}, reserved8[31] = {};
    std::string firmwareText;
    int rc = GetTamroInfo(pcb, date, serial, reserved4, identifier, firmware, reserved7, reserved8);
    if (rc == NotSupported) {
        // An adapter without the information record: its version reply stands in.
        rc = GetTamroVersion(pcb, date, serial, nullptr, identifier);
        firmwareText = fallbackFirmwareText(date);
    } else {
        firmwareText = bounded(firmware, 20);
    }
    if (rc != Ok)
        return rc;
    if (!dateText) {
        hostui::showMessage(
            state().parentWindow,
            tamroText(state().language, bounded(pcb, 16).c_str(), firmwareText.c_str(), bounded(serial, 9).c_str()),
            tamroCaption(state().language));
        return Ok;
    }
    copyText(dateText, VESTRIX_TAMRO_DATE_SIZE, date, 30);
    copyText(pcbVersion, VESTRIX_TAMRO_PCB_SIZE, pcb, 16);
    return Ok;
}

VESTRIX_API VestrixResult ShowChipInfo(char *text, unsigned char *kind)
{
    unsigned char word[4] = {};
    int rc = ReadRegister(RegChipInfo, 32, word);
    if (rc != Ok)
        return rc;
    const int32_t version = int32_t(chainWord(word));
    ver_FPGA = version;
    const std::string caption = chipCaption(state().language);
    if (version <= kOldChipVersion) {
        if (!text) {
            hostui::showMessage(state().parentWindow, chipText(version, nullptr), caption);
        } else {
            text[0] = 0;
            if (kind)
                *kind = 0;
            hostui::showMessage(state().parentWindow, kIncompatibleChipText, caption);
        }
        return Ok;
    }
    unsigned char block[32] = {};
    rc = ReadRegister(RegChipInfo, 256, block);
    if (rc != Ok)
        return rc;
    if (!text) {
        block[31] = 0;
        hostui::showMessage(state().parentWindow,
                            chipText(version, bounded(reinterpret_cast<char *>(block) + 20, 11).c_str()), caption);
        return Ok;
    }
    if (kind)
        *kind = block[31];
    copyText(text, VESTRIX_CHIP_TEXT_SIZE, reinterpret_cast<char *>(block) + 20, 11);
    return Ok;
}

VESTRIX_API VestrixResult ShowTamroVolt(void)
{
    char voltage[8] = {};
    const int rc = GetIOVoltage(voltage);
    if (rc == Ok)
        hostui::showMessage(state().parentWindow, voltText(bounded(voltage, 7).c_str()), kVoltCaption);
    return rc;
}

VESTRIX_API VestrixResult SetTAMROSpeed(int speed) { return TAMROfeatureSet(speed, 1, 0, 0); }

VESTRIX_API VestrixResult SetTAMROPower(int power) { return TAMROfeatureSet(0, 0, power, 1); }

} // extern "C"
