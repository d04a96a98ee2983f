// What the parts of vestrix share: the module state and the device-free helpers that tests
// call directly.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include <vestrix.h>

namespace vestrix {

// The library's own short names for the codes; clients see only the VESTRIX_ names.
using ResultCode = VestrixResult;
enum Code : int {
    Ok = VESTRIX_OK,
    NoAdapter = VESTRIX_NO_ADAPTER,
    NoDeviceSelected = VESTRIX_NO_DEVICE_SELECTED,
    BadReply = VESTRIX_BAD_REPLY,
    NotSupported = VESTRIX_NOT_SUPPORTED,
    PreviousStepRunning = VESTRIX_PREVIOUS_STEP_RUNNING,
    FileOpenFailed = VESTRIX_FILE_OPEN_FAILED,
    FileEmpty = VESTRIX_FILE_EMPTY,
    FirmwareTooOld = VESTRIX_FIRMWARE_TOO_OLD,
    DownloadCancelled = VESTRIX_DOWNLOAD_CANCELLED,
};

// Module state, zero at load (the library has no initialisation call).
struct State {
    uint8_t messagesEnabled = 0; // library boxes: only the run-idle guard and the download
    void *parentWindow = nullptr;
    int32_t language = 0;                       // 0 Chinese, anything else English where there is a text
    VestrixProgressCallback progress = nullptr; // replaces the bar while set
    void *progressUser = nullptr;
};
State &state();

// --- connection ---------------------------------------------------------------------------

// The code for a firmware date text (YYYY.MM.DD or YYYY-MM-DD, at least 10 characters):
// 0 for 2015-12-10 or later, 18 before.
int firmwareDateCode(const char *date);

// --- registers and run control ------------------------------------------------------------

enum Register {
    RegCpuData = 1,
    RegVirtualMode = 2,
    RegDigits = 3,
    RegRunTarget = 4,
    RegRunCommand = 5,
    RegRunStatus = 6,
    RegKeys = 7,
    RegLeds = 8,
    RegSwitches = 9,
    RegResetSignals = 10,
    RegMainChain = 11,
    RegControlChain = 12,
    RegChipInfo = 14,
};

enum RunCommand {
    CmdResetCpu = 1,
    CmdRunToBreakpoint = 2,
    CmdInstructionStep = 3,
    CmdMicroStep = 4,
    CmdRunContinuous = 5,
    CmdStop = 6,
    CmdStoreControlWord = 8,
};

// 0 when the lab CPU is idle; the status read's code; or -256 (with the box when messages
// are on) while it is busy.
int requireRunIdle();
extern const char *const kBusyText;

// The 5-byte run target: the word little-endian, then the two low bits of the mode.
void packRunTarget(uint32_t word, int mode, uint8_t out[5]);

// --- scan chains --------------------------------------------------------------------------

constexpr int kMainChainBits = 66;
constexpr int kMainChainBytes = 9;
constexpr int kControlChainBytes = 6;
constexpr int32_t kWideControlChainVersion = 0x20220919;

// 48 bits from the chip version that carries the full address byte, 41 before.
int controlChainBits(int32_t chipVersion);
void packControlChain(uint32_t word, uint32_t address, uint8_t out[kControlChainBytes]);
void packMainChain(uint32_t data, uint32_t address, uint8_t strobes, uint8_t out[kMainChainBytes]);
uint32_t chainWord(const uint8_t *chain); // bytes 0..3, little-endian

constexpr uint8_t kWriteStrobe = 1, kReadStrobe = 2;

// --- FPGA download ------------------------------------------------------------------------

constexpr int kPieceSize = 500;
int pieceCount(uint32_t size);
// The bar's upper bound, trunc(0.9 x pieces) as a 16-bit value.
int progressMaximum(int pieces);
extern const char *const kProgressTitle;
extern const char *const kFileOpenText;
extern const char *const kFileEmptyText;

// --- information windows ------------------------------------------------------------------

constexpr int32_t kOldChipVersion = 0x20190114; // versions up to this have no information block
extern const char *const kOldFirmwareMark;

std::string tamroCaption(int32_t language);
std::string tamroText(int32_t language, const char *pcb, const char *firmware, const char *serial);
std::string chipCaption(int32_t language);
std::string chipText(int32_t version, const char *text); // text null: the old-version text
extern const char *const kIncompatibleChipText;
extern const char *const kVoltCaption;
std::string voltText(const char *voltage);

// The fallback firmware text: the first 11 characters of the build time, then the mark.
std::string fallbackFirmwareText(const char *buildTime);

// Bounded copy of a text that may lack its terminator: at most size - 1 bytes, then 0.
void copyText(char *to, size_t size, const char *from, size_t fromSize);

// --- notice -------------------------------------------------------------------------------

// Deciphers `cipher` (length n) into `out`, which holds n + 1 bytes.
void decipherNotice(const uint8_t *cipher, size_t n, char *out);
void encipherNotice(const char *plain, size_t n, uint8_t *out);

} // namespace vestrix
