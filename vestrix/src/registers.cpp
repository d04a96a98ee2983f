// The lab circuit's test registers: panel inputs and outputs, the lab reset and the lab CPU's
// run control. Compound operations stop at the first failing step and return its code; a
// step already taken stays taken.
#include "internal.h"

#include <hostui.h>
#include <tamro.h>
#include <vestrix.h>

namespace vestrix {

const char *const kBusyText = "上一步运行尚未结束。";

namespace {

int writeNibble(int selector, uint8_t value)
{
    const unsigned char byte = value & 0x0F;
    return WriteRegister(selector, &byte, 4);
}

int runCommand(RunCommand command) { return writeNibble(RegRunCommand, uint8_t(command)); }

// The low four bits of the run status, or the read's failure.
int readRunStatus(uint8_t &status)
{
    unsigned char byte = 1; // reads as busy should the adapter hand back nothing
    const int rc = ReadRegister(RegRunStatus, 4, &byte);
    status = byte & 0x0F;
    return rc;
}

int writeRunTarget(uint32_t word, int mode)
{
    uint8_t target[5];
    packRunTarget(word, mode, target);
    return WriteRegister(RegRunTarget, target, 34);
}

} // namespace

int requireRunIdle()
{
    uint8_t status = 1;
    const int rc = readRunStatus(status);
    if (rc != Ok)
        return rc;
    if (status == 0)
        return Ok;
    if (state().messagesEnabled)
        hostui::showMessage(state().parentWindow, kBusyText, "");
    return PreviousStepRunning;
}

void packRunTarget(uint32_t word, int mode, uint8_t out[5])
{
    for (int i = 0; i < 4; ++i)
        out[i] = uint8_t(word >> (8 * i));
    out[4] = uint8_t(mode & 3);
}

} // namespace vestrix

using namespace vestrix;

extern "C" {

VESTRIX_API VestrixResult SetSwitchStatus(const void *data, int bits)
{
    return WriteRegister(RegSwitches, static_cast<const unsigned char *>(data), bits);
}

VESTRIX_API VestrixResult SetButtonStatus(const void *data, int bits)
{
    return WriteRegister(RegKeys, static_cast<const unsigned char *>(data), bits);
}

VESTRIX_API VestrixResult GetLedStatus(int bits, void *buffer)
{
    return ReadRegister(RegLeds, bits, static_cast<unsigned char *>(buffer));
}

VESTRIX_API VestrixResult GetHexStatus(int bits, void *buffer)
{
    return ReadRegister(RegDigits, bits, static_cast<unsigned char *>(buffer));
}

VESTRIX_API VestrixResult ReadCpuData(int bits, void *buffer)
{
    return ReadRegister(RegCpuData, bits, static_cast<unsigned char *>(buffer));
}

VESTRIX_API VestrixResult ReadSignalData(int bits, void *buffer)
{
    return ReadRegister(RegResetSignals, bits, static_cast<unsigned char *>(buffer));
}

VESTRIX_API VestrixResult SetVirtualMode(int on) { return writeNibble(RegVirtualMode, (on & 0xFF) ? 0x0F : 0x00); }

VESTRIX_API VestrixResult ResetLab(void) { return writeNibble(RegResetSignals, 1); }

VESTRIX_API VestrixResult ResetCpu(void)
{
    int rc = runCommand(CmdResetCpu);
    if (rc == Ok)
        rc = ResetCMScanChain();
    if (rc == Ok)
        rc = ResetMMScanChain();
    return rc;
}

VESTRIX_API VestrixResult RunMicroInstructionStep(void)
{
    int rc = requireRunIdle();
    if (rc == Ok)
        rc = runCommand(CmdMicroStep);
    if (rc == Ok)
        rc = ResetCMScanChain();
    if (rc == Ok)
        rc = ResetMMScanChain();
    return rc;
}

VESTRIX_API VestrixResult RunInstructionStep(int word)
{
    int rc = requireRunIdle();
    if (rc == Ok)
        rc = writeRunTarget(uint32_t(word), 0);
    if (rc == Ok)
        rc = runCommand(CmdInstructionStep);
    if (rc == Ok)
        rc = ResetMMScanChain();
    return rc;
}

VESTRIX_API VestrixResult RunWithBreakpoint(int mode, int word)
{
    int rc = requireRunIdle();
    if (rc == Ok)
        rc = writeRunTarget(uint32_t(word), mode);
    if (rc == Ok)
        rc = runCommand(CmdRunToBreakpoint);
    if (rc == Ok)
        rc = ResetMMScanChain();
    return rc;
}

VESTRIX_API VestrixResult RunContinuous(int run)
{
    if (run & 0xFF) {
        const int rc = requireRunIdle();
        return rc != Ok ? rc : runCommand(CmdRunContinuous);
    }
    uint8_t status = 0;
    const int rc = readRunStatus(status);
    if (rc != Ok)
        return rc;
    return status == CmdRunContinuous ? runCommand(CmdStop) : Ok;
}

VESTRIX_API VestrixResult IsStopOnBK(void)
{
    uint8_t status = 0;
    const int rc = readRunStatus(status);
    if (rc != Ok)
        return rc;
    return status != 0 ? PreviousStepRunning : Ok;
}

VESTRIX_API VestrixResult StopRunWithBK(void)
{
    uint8_t status = 0;
    const int rc = readRunStatus(status);
    if (rc != Ok)
        return rc;
    return status == CmdRunToBreakpoint ? runCommand(CmdStop) : Ok;
}

} // extern "C"
