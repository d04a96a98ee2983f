/* A lab program written elsewhere: built only from the installed header and pkg-config file. */
#include <stdio.h>
#include <string.h>
#include <tamro.h>

/* The header keeps to its prefix: a program may use these names for its own things. */
typedef double ResultCode;
enum ProgramNames { Ok, NoAdapter, NoDeviceSelected, NotSupported, FileOpenFailed, FirmwareTooOld };

int main(void)
{
    char list[TAMRO_LIST_SIZE]; /* ten names and the count after them */
    memset(list, 0x55, sizeof list);
    EnableMessageShow(0);
    if (SetLocalLanguage(1) != 1) {
        fprintf(stderr, "SetLocalLanguage did not store English\n");
        return 1;
    }
    /* No adapter is attached on a build machine: the scan must answer with a code, not crash. */
    TamroResult r = ScanDevice(list, NULL, 0);
    if (r != TAMRO_OK && r != TAMRO_NO_ADAPTER) {
        fprintf(stderr, "ScanDevice gave %d\n", (int)r);
        return 1;
    }
    printf("tamro %d.%d.%d ScanDevice=%d\n", TAMRO_VERSION_MAJOR, TAMRO_VERSION_MINOR, TAMRO_VERSION_PATCH, (int)r);
    return 0;
}
