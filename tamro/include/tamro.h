/* tamro: the adapter driver library.
 *
 * Finds debug adapters (USB bulk "TA-MRO", USB HID "TA-HID", the "Lantrovex" remote-lab
 * server), carries the adapter's command frames to the selected one and implements its
 * command set. Every operation is synchronous, takes 32-bit integers and caller-owned byte
 * buffers, and returns a TamroResult (0 success, negative failure). The library keeps no
 * pointer into a caller's buffer after returning. Codes are only ever appended.
 */
#ifndef TAMRO_H
#define TAMRO_H

#include <stdint.h>

#define TAMRO_VERSION_MAJOR 1
#define TAMRO_VERSION_MINOR 0
#define TAMRO_VERSION_PATCH 0
#define TAMRO_VERSION ((TAMRO_VERSION_MAJOR << 16) | (TAMRO_VERSION_MINOR << 8) | TAMRO_VERSION_PATCH)

#if defined(TAMRO_BUILDING)
#define TAMRO_API __attribute__((visibility("default")))
#else
#define TAMRO_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The result of every operation: 0 success, a negative code failure. A plain 32-bit integer,
 * so that it keeps its size and meaning across compilers and languages. */
typedef int32_t TamroResult;

/* Result codes. Values never change; new codes are only appended. */
enum TamroResultCode {
    TAMRO_OK = 0,
    TAMRO_NO_ADAPTER = -1, /* nothing found, index outside the list, unusable entry */
    /* -2: the adapter sent an error reply with reason 4 */
    TAMRO_UNKNOWN_CONNECT_ERROR = -3,    /* unknown status byte in the open reply */
    TAMRO_FPGA_LINK_FAILED = -4,         /* scan status bits not binary 01 */
    TAMRO_NO_DEVICE_SELECTED = -5,       /* no transport selected, or the device cannot be opened */
    TAMRO_ADAPTER_BAD_DATA = -6,         /* error reply with reason 0 to 3 */
    TAMRO_BAD_REPLY = -7,                /* wrong length, marks, kind or contents */
    TAMRO_ADAPTER_BAD_CONNECT_DATA = -8, /* open reply status 0xCC */
    TAMRO_NO_REPLY = -9,                 /* nothing came back within the time limit */
    TAMRO_NOT_SUPPORTED = -16,           /* the adapter or the transport refuses the command */
    TAMRO_FPGA_DATA_FAILED = -17,
    TAMRO_FPGA_CONFIG_FAILED = -18,
    TAMRO_REPORT_WRITE_FAILED = -19, /* an HID report write failed; never shown in a box */
    TAMRO_SOCKET_CREATE_FAILED = -20,
    TAMRO_BAD_SERVER_ADDRESS = -21,
    TAMRO_SERVER_CONNECT_FAILED = -22,
    TAMRO_REQUEST_TOO_LARGE = -23,
    TAMRO_SEND_FAILED = -24,
    TAMRO_SERVER_TIMEOUT = -25,        /* the remote-lab server's answer did not complete in time */
    TAMRO_REMOTE_CONNECT_FAILED = -26, /* defined for callers; tamro never returns it */
    TAMRO_SHORT_REMOTE_REPLY = -27
};

/* Device list buffer filled by ScanDevice: 10 terminated names of 128 bytes, then the
 * entry count as a 32-bit integer at byte offset 1280. */
#define TAMRO_LIST_SLOTS 10
#define TAMRO_LIST_SLOT_SIZE 128
#define TAMRO_LIST_COUNT_OFFSET 1280
#define TAMRO_LIST_SIZE (TAMRO_LIST_COUNT_OFFSET + 4)

/* Message boxes (off after load). */
TAMRO_API int EnableMessageShow(int enable);  /* low byte 0: off; returns 1 when boxes are off */
TAMRO_API int SetLocalLanguage(int language); /* stores and returns 0 or 1 */
TAMRO_API void *SetMainWindow(void *window);  /* native window id owning the boxes; returned */

/* Discovery and selection. ScanDevice returns 0 when it listed an entry, else -1. A server
 * address of 20 characters or more is refused without a probe (nothing is listed for it, the
 * previous address is kept); the adapters are still listed, and with none the result is -21. */
TAMRO_API TamroResult ScanDevice(char *deviceList, const char *serverAddress, int port);
TAMRO_API TamroResult SelectDevice(int index);
TAMRO_API TamroResult OpenDevice(void);
TAMRO_API int CloseDevice(void); /* returns 0; carries no result code */
/* Which transport the current selection uses (additive to the original command set). */
#define TAMRO_TRANSPORT_NONE 0
#define TAMRO_TRANSPORT_BULK 1
#define TAMRO_TRANSPORT_HID 2
#define TAMRO_TRANSPORT_NETWORK 3
TAMRO_API int TamroSelectedTransport(void);

/* Register scans: `bits` from 0 to 2048; buffers hold ceil(bits / 8) bytes, least
 * significant bit first. */
TAMRO_API TamroResult ReadRegister(int instruction, int bits, unsigned char *data);
TAMRO_API TamroResult WriteRegister(int instruction, const unsigned char *data, int bits);
TAMRO_API TamroResult WriteInstruction(int instruction);
/* The general scan, on the session kept by OpenDevice; `out` is filled when the low byte of
 * `capture` is 1. */
TAMRO_API TamroResult BSC_Sample_Preload(int instruction, int bits, const unsigned char *in, unsigned char *out,
                                         int capture);

/* Adapter settings and queries. */
TAMRO_API TamroResult TAMROfeatureSet(int speed, int speedFlag, int power, int powerFlag);
TAMRO_API TamroResult GetIOVoltage(char *voltage /* 7 bytes */);
/* Buffers may be null: version 7 bytes, build time 30, serial 9, identifier 25; the fourth
 * receives nothing. */
TAMRO_API TamroResult GetTamroVersion(char *version, char *buildTime, char *serial, char *reserved, char *identifier);
/* Buffers may be null: PCB version 16 (zeroed by the caller), date text 20, serial 8 (no
 * terminator), identifier 25, firmware version 20; the fourth, seventh and eighth receive
 * nothing. */
TAMRO_API TamroResult GetTamroInfo(char *pcbVersion, char *dateText, char *serial, char *reserved4, char *identifier,
                                   char *firmwareVersion, char *reserved7, char *reserved8);

/* FPGA configuration download and firmware upgrade. */
TAMRO_API TamroResult ConfigureFPGAAsk(int totalSize);
TAMRO_API TamroResult ConfigureFPGAData(const unsigned char *data, int size);
TAMRO_API TamroResult ConfigureFPGADone(void);
TAMRO_API TamroResult UpgradeFirmwareAsk(void);

#ifdef __cplusplus
}
#endif

#endif /* TAMRO_H */
