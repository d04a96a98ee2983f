/* A lab program written elsewhere: built only from the installed header and pkg-config file. */
#include <stdio.h>
#include <string.h>
#include <tamro.h>

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
    ResultCode r = ScanDevice(list, NULL, 0);
    printf("tamro %d.%d.%d ScanDevice=%d\n", TAMRO_VERSION_MAJOR, TAMRO_VERSION_MINOR,
           TAMRO_VERSION_PATCH, (int)r);
    return 0;
}
