/* A lab program written elsewhere: built only from the installed header and pkg-config file. */
#include <stdio.h>
#include <string.h>
#include <vestrix.h>

/* The header keeps to its prefix: a program may use these names for its own things. */
typedef double ResultCode;
enum ProgramNames { Ok, NoAdapter, NoDeviceSelected, NotSupported, FileOpenFailed, FirmwareTooOld };

int main(void)
{
    char list[VESTRIX_LIST_SIZE];
    memset(list, 0x55, sizeof list);
    EnableDLLMessage(0);
    SetDllLanguage(1);
    /* Field cutting needs no adapter: 12 bits from bit 4 of 0xCD 0xAB 0x01. */
    const unsigned char data[3] = {0xCD, 0xAB, 0x01};
    unsigned char field[2] = {0, 0};
    const int offset = 4, bytes = 1, bits = 4;
    const int next = ResolveScanChian(data, 0, field, &offset, &bytes, &bits);
    if (next != 2 || field[0] != 0xBC || field[1] != 0x0A) {
        fprintf(stderr, "ResolveScanChian gave %d %02X %02X\n", next, field[0], field[1]);
        return 1;
    }
    const char *notice = GetCopyRightText();
    if (!notice || !notice[0] || strlen(notice) > 23) {
        fprintf(stderr, "no notice\n");
        return 1;
    }
    /* No adapter on a build machine: codes come back, nothing crashes. */
    const VestrixResult scanned = ScanTAMRO(list, NULL, 0);
    const VestrixResult connected = ConnectDevice(0);
    if (scanned != VESTRIX_OK && scanned != VESTRIX_NO_ADAPTER) {
        fprintf(stderr, "ScanTAMRO gave %d\n", (int)scanned);
        return 1;
    }
    printf("vestrix %d.%d.%d \"%s\" ScanTAMRO=%d ConnectDevice=%d ver_FPGA=%d\n", VESTRIX_VERSION_MAJOR,
           VESTRIX_VERSION_MINOR, VESTRIX_VERSION_PATCH, notice, (int)scanned, (int)connected, (int)ver_FPGA);
    return 0;
}
