/* vestrix: the lab debugging library.
 *
 * Drives the lab circuit in a lab board's FPGA through the debug adapter that tamro selected:
 * the panel's test registers (switches, keys, LEDs, digits, CPU data and signals), the lab
 * CPU's run control, its control and main memories over their scan chains, the FPGA
 * configuration download with a progress bar, and the information windows.
 *
 * Every call is synchronous and returns a VestrixResult (0 success, negative failure, 18 the one
 * positive failure) unless noted. Arguments are 32-bit integers and caller-owned buffers; the
 * library keeps no pointer into a caller's buffer after returning. Register buffers hold
 * ceil(bits / 8) bytes, least significant bit first: register bit n is bit n % 8 of byte
 * n / 8. Writers take (data, bits), readers take (bits, buffer). Codes are only appended.
 */
#ifndef VESTRIX_H
#define VESTRIX_H

#include <stdint.h>

#define VESTRIX_VERSION_MAJOR 1
#define VESTRIX_VERSION_MINOR 0
#define VESTRIX_VERSION_PATCH 0
#define VESTRIX_VERSION ((VESTRIX_VERSION_MAJOR << 16) | (VESTRIX_VERSION_MINOR << 8) | VESTRIX_VERSION_PATCH)

#if defined(VESTRIX_BUILDING)
#define VESTRIX_API __attribute__((visibility("default")))
#else
#define VESTRIX_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The result of every operation: 0 success, a negative code failure, 18 the one positive
 * failure. A plain 32-bit integer. */
typedef int32_t VestrixResult;

/* Every code a vestrix call can return: the library's own, and tamro's, which it passes on
 * unchanged under these names (same values). Values never change; codes are only appended.
 * The list form lets a client walk every code, for example to check it has a text for each. */
#define VESTRIX_RESULT_CODES(X)                                                                    \
    X(VESTRIX_OK, 0)                                                                               \
    X(VESTRIX_NO_ADAPTER, -1)               /* no adapter listed, or an unusable entry */          \
    X(VESTRIX_UNKNOWN_CONNECT_ERROR, -3)    /* the adapter's open reply has an unknown status */   \
    X(VESTRIX_FPGA_LINK_FAILED, -4)         /* the adapter did not reach the FPGA */               \
    X(VESTRIX_NO_DEVICE_SELECTED, -5)       /* nothing selected, or it cannot be opened */         \
    X(VESTRIX_ADAPTER_BAD_DATA, -6)         /* the adapter found the request malformed */          \
    X(VESTRIX_BAD_REPLY, -7)                /* a reply of the wrong length, marks or kind */       \
    X(VESTRIX_ADAPTER_BAD_CONNECT_DATA, -8) /* the adapter refused the open request */             \
    X(VESTRIX_NO_REPLY, -9)                 /* nothing came back within the time limit */          \
    X(VESTRIX_NOT_SUPPORTED, -16)           /* the adapter or the transport refuses the command */ \
    X(VESTRIX_FPGA_DATA_FAILED, -17)                                                               \
    X(VESTRIX_FPGA_CONFIG_FAILED, -18)                                                             \
    X(VESTRIX_REPORT_WRITE_FAILED, -19) /* an HID report write failed */                           \
    X(VESTRIX_SOCKET_CREATE_FAILED, -20)                                                           \
    X(VESTRIX_BAD_SERVER_ADDRESS, -21)                                                             \
    X(VESTRIX_SERVER_CONNECT_FAILED, -22)                                                          \
    X(VESTRIX_REQUEST_TOO_LARGE, -23)                                                              \
    X(VESTRIX_SEND_FAILED, -24)                                                                    \
    X(VESTRIX_SERVER_TIMEOUT, -25)                                                                 \
    X(VESTRIX_REMOTE_CONNECT_FAILED, -26)                                                          \
    X(VESTRIX_SHORT_REMOTE_REPLY, -27)                                                             \
    X(VESTRIX_PREVIOUS_STEP_RUNNING, -256) /* the lab CPU has not finished the last step */        \
    X(VESTRIX_FILE_OPEN_FAILED, -257)      /* the configuration file cannot be opened */           \
    X(VESTRIX_FILE_EMPTY, -258)            /* the configuration file is empty */                   \
    X(VESTRIX_FIRMWARE_TOO_OLD, 18)        /* adapter firmware dated before 2015-12-10 */          \
    X(VESTRIX_DOWNLOAD_CANCELLED, -259)    /* the progress callback stopped the download */

#define VESTRIX_RESULT_ENUMERATOR(name, value) name = value,
enum VestrixResultCode { VESTRIX_RESULT_CODES(VESTRIX_RESULT_ENUMERATOR) };
#undef VESTRIX_RESULT_ENUMERATOR

/* Sizes of the device list filled by ScanTAMRO: 10 terminated names of 128 bytes, then the
 * entry count as a 32-bit integer. */
#define VESTRIX_LIST_SLOTS 10
#define VESTRIX_LIST_SLOT_SIZE 128
#define VESTRIX_LIST_COUNT_OFFSET 1280
#define VESTRIX_LIST_SIZE (VESTRIX_LIST_COUNT_OFFSET + 4)

/* Buffer sizes of the silent information calls. */
#define VESTRIX_TAMRO_DATE_SIZE 30 /* ShowTamroInfo first buffer (at least) */
#define VESTRIX_TAMRO_PCB_SIZE 16  /* ShowTamroInfo second buffer */
#define VESTRIX_CHIP_TEXT_SIZE 11  /* ShowChipInfo text buffer */

/* The on-chip debugger version read by the last ShowChipInfo, a date in hexadecimal digits
 * (0x20220919 is 2022-09-19); 0 until then. */
extern VESTRIX_API int32_t ver_FPGA;

/* --- state and connection ------------------------------------------------------------ */

/* Library and tamro message boxes on (low byte nonzero) or off (the default). Returns
 * tamro's new suppression flag: 1 when boxes are off. */
VESTRIX_API int EnableDLLMessage(int enable);
/* 0: Chinese texts; anything else: English where the library has them. Returns tamro's
 * stored flag (0 or 1). */
VESTRIX_API int SetDllLanguage(int language);
/* The native id of the window that owns the library's boxes and progress bar; returned. */
VESTRIX_API void *SetParentWnd(void *window);
/* Lists the adapters (and the server at serverAddress:port, if not null) into `names`
 * (VESTRIX_LIST_SIZE bytes). 0 when at least one is listed, -1 otherwise. */
VESTRIX_API VestrixResult ScanTAMRO(char *names, const char *serverAddress, int port);
/* Selects entry `index` of the last scan, asks for its version reply and checks its firmware
 * date (2015-12-10 or later). When the date is refused (18) or cannot be read, nothing stays
 * selected. A remote-lab server entry is selected without that check: it answers scans only.
 * Shows no box of its own. */
VESTRIX_API VestrixResult ConnectDevice(int index);

/* --- lab registers --------------------------------------------------------------------- */

VESTRIX_API VestrixResult SetSwitchStatus(const void *data, int bits); /* register 9 */
VESTRIX_API VestrixResult SetButtonStatus(const void *data, int bits); /* register 7 */
VESTRIX_API VestrixResult GetLedStatus(int bits, void *buffer);        /* register 8 */
VESTRIX_API VestrixResult GetHexStatus(int bits, void *buffer);        /* register 3 */
VESTRIX_API VestrixResult ReadCpuData(int bits, void *buffer);         /* register 1 */
VESTRIX_API VestrixResult ReadSignalData(int bits, void *buffer);      /* register 10 */
/* Panel input on (low byte nonzero) or off. */
VESTRIX_API VestrixResult SetVirtualMode(int on);
VESTRIX_API VestrixResult ResetLab(void);

/* --- run control: the steps, the breakpoint run and RunContinuous(1) refuse with -256 while
 *     the lab CPU is busy (with a box when messages are on); ResetCpu, RunContinuous(0),
 *     IsStopOnBK and StopRunWithBK are not guarded ------------------------------------------- */

VESTRIX_API VestrixResult ResetCpu(void);
VESTRIX_API VestrixResult RunMicroInstructionStep(void);
VESTRIX_API VestrixResult RunInstructionStep(int word);
/* Runs until the breakpoint `word`; the two low bits of `mode` are the target mode. */
VESTRIX_API VestrixResult RunWithBreakpoint(int mode, int word);
/* Low byte nonzero: start a continuous run; zero: stop a continuous run if one is going. */
VESTRIX_API VestrixResult RunContinuous(int run);
/* 0 when the lab CPU is idle, -256 while it runs. */
VESTRIX_API VestrixResult IsStopOnBK(void);
/* Stops a breakpoint run if one is going. */
VESTRIX_API VestrixResult StopRunWithBK(void);

/* --- memories ------------------------------------------------------------------------ */

/* Control memory: `count` 32-bit words (4 bytes each, memory order) at consecutive
 * addresses; the chain carries address bits 0..8 until ver_FPGA reaches 0x20220919, bits 0..15
 * from then on. A read with count below 1 sends nothing (not even the run-status read), leaves
 * `words` untouched and returns 0. The memory operations refuse with -256 while the CPU runs. */
VESTRIX_API VestrixResult WriteCM(int address, int count, const void *words);
VESTRIX_API VestrixResult ReadCM(int address, int count, void *words);
/* Main memory: `count` words, the address growing by `step` after each. A read with count
 * below 1 sends nothing and returns 0. */
VESTRIX_API VestrixResult WriteMM(int address, int count, const int32_t *words, int step);
VESTRIX_API VestrixResult ReadMM(int address, int count, int32_t *words, int step);
/* Park the chains, keeping their content. */
VESTRIX_API VestrixResult ResetCMScanChain(void);
VESTRIX_API VestrixResult ResetMMScanChain(void);
/* Copies the field of *byteCount x 8 + *bitCount bits (bit count 0 to 7) that starts at bit
 * *bitOffset (0 to 7) of data[byteIndex] into `output`: the full bytes first, then the
 * remaining bits in the low bits of one more byte. Returns the index of the byte holding the
 * first bit after the field. Touches no hardware. */
VESTRIX_API int ResolveScanChian(const unsigned char *data, int byteIndex, unsigned char *output, const int *bitOffset,
                                 const int *byteCount, const int *bitCount);

/* --- FPGA configuration download ------------------------------------------------------ */

/* Downloads the .rbf file at `path` (UTF-8) in 500-byte pieces, with a progress bar across
 * the top of the parent window (none without one). -257: cannot open, not a plain file, a size
 * beyond 32 bits, or a read failing part-way; -258: empty. Nothing is sent for -257 or -258
 * found before the first piece. */
VESTRIX_API VestrixResult ConfigureFPGA(const char *path);
/* Called by ConfigureFPGA once before the first piece (done 0) and after every piece sent;
 * a nonzero return cancels the download: no further piece and no end step are sent, and
 * ConfigureFPGA returns VESTRIX_DOWNLOAD_CANCELLED. */
typedef int (*VestrixProgressCallback)(int piecesDone, int piecesTotal, void *user);
/* Registers the callback for later downloads (null: none, the default). While one is
 * registered the library shows no progress bar of its own. Returns 0. */
VESTRIX_API VestrixResult SetConfigureProgress(VestrixProgressCallback callback, void *user);
/* The single steps, passed straight to the adapter. */
VESTRIX_API VestrixResult ConfigureFPGABytes(int totalSize);
VESTRIX_API VestrixResult ConfigureFPGAContent(const unsigned char *data, int size);
VESTRIX_API VestrixResult ConfigureFPGAOk(void);
VESTRIX_API VestrixResult EnterUpgradeFirmware(void);

/* --- information ------------------------------------------------------------------------ */

/* dateText null: shows the adapter window. Otherwise fills dateText (VESTRIX_TAMRO_DATE_SIZE
 * bytes, terminated; its first 10 characters are the firmware date YYYY.MM.DD or
 * YYYY-MM-DD) and, if not null, pcbVersion (VESTRIX_TAMRO_PCB_SIZE bytes, terminated), and
 * shows nothing. `form` is accepted and has no effect on the window. */
VESTRIX_API VestrixResult ShowTamroInfo(char *dateText, char *pcbVersion, int form);
/* text null: shows the on-chip debugger window. Otherwise fills text
 * (VESTRIX_CHIP_TEXT_SIZE bytes, terminated) and *kind (if not null) and shows nothing.
 * Either way stores the version in ver_FPGA. */
VESTRIX_API VestrixResult ShowChipInfo(char *text, unsigned char *kind);
VESTRIX_API VestrixResult ShowTamroVolt(void);
VESTRIX_API VestrixResult SetTAMROSpeed(int speed);
VESTRIX_API VestrixResult SetTAMROPower(int power);
/* The library's notice, at most 23 characters; a static buffer rewritten on each call. */
VESTRIX_API const char *GetCopyRightText(void);

#ifdef __cplusplus
}
#endif

#endif /* VESTRIX_H */
