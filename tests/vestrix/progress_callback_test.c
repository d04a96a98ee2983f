/* The download progress callback, used from C as a lab program would: it sees every piece,
 * replaces the library's bar, and cancelling stops the download between pieces without the
 * end step. */
#include "support/emu_c.h"

#include <vestrix.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static int failures = 0;
#define CHECK_EQ(a, b, what)                                                                \
    do {                                                                                    \
        long long a_ = (long long)(a), b_ = (long long)(b);                                 \
        if (a_ != b_) {                                                                     \
            fprintf(stderr, "%s:%d: %s: %lld != %lld\n", __FILE__, __LINE__, what, a_, b_); \
            ++failures;                                                                     \
        }                                                                                   \
    } while (0)

struct Seen {
    int calls;
    int lastDone;
    int total;
    int inOrder;  /* every call's done count is one more than the call before */
    int cancelAt; /* return nonzero when done reaches this; -1 never */
};

static int onProgress(int done, int total, void *user)
{
    struct Seen *s = (struct Seen *)user;
    if (done != (s->calls == 0 ? 0 : s->lastDone + 1))
        s->inOrder = 0;
    s->calls++;
    s->lastDone = done;
    s->total = total;
    return done == s->cancelAt;
}

static void writeFile(const char *path, int size)
{
    FILE *f = fopen(path, "wb");
    for (int i = 0; i < size; ++i)
        fputc(i & 0xFF, f);
    fclose(f);
}

int main(void)
{
    struct Case {
        int size, cancelAt;
        int result, pieces, bytes, done, calls;
    } cases[] = {
        {1001, -1, 0, 3, 1001, 1, 4},                          /* 0, 1, 2, 3 of 3 */
        {10000, 5, VESTRIX_DOWNLOAD_CANCELLED, 5, 2500, 0, 6}, /* stops after piece 5 */
        {1000, 0, VESTRIX_DOWNLOAD_CANCELLED, 0, 0, 0, 1},     /* stops before the first piece */
        {1000, 2, VESTRIX_DOWNLOAD_CANCELLED, 2, 1000, 0, 3},  /* even after the last piece */
    };
    char path[] = "/tmp/brixo_progress_XXXXXX";
    int fd = mkstemp(path);
    if (fd < 0)
        return 2;
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const struct Case *c = &cases[i];
        char names[VESTRIX_LIST_SIZE];
        struct Seen seen = {0, 0, 0, 1, c->cancelAt};
        writeFile(path, c->size);
        emu_c_start();
        CHECK_EQ(ScanTAMRO(names, NULL, 0), 0, "scan");
        CHECK_EQ(ConnectDevice(0), 0, "connect");
        SetParentWnd((void *)1); /* a bar would be made for this window without the callback */
        CHECK_EQ(SetConfigureProgress(onProgress, &seen), 0, "register");
        CHECK_EQ(ConfigureFPGA(path), c->result, "result");
        CHECK_EQ(emu_c_fpga_pieces(), c->pieces, "pieces sent");
        CHECK_EQ(emu_c_fpga_bytes(), c->bytes, "bytes sent");
        CHECK_EQ(emu_c_fpga_done(), c->done, "end step");
        CHECK_EQ(seen.calls, c->calls, "callback calls");
        CHECK_EQ(seen.total, (c->size + 499) / 500, "pieces in all");
        CHECK_EQ(seen.inOrder, 1, "calls in order");
        CHECK_EQ(emu_c_progress_events(), 0, "no library bar");

        /* Unregistered, the library's bar is back and the callback hears nothing. */
        SetConfigureProgress(NULL, &seen);
        seen.calls = 0;
        CHECK_EQ(ConfigureFPGA(path), 0, "plain download");
        CHECK_EQ(seen.calls, 0, "callback after unregistering");
        CHECK_EQ(emu_c_progress_events() > 0, 1, "library bar");
        SetParentWnd(NULL);
        emu_c_stop();
    }
    close(fd);
    unlink(path);
    if (failures)
        fprintf(stderr, "%d check(s) failed\n", failures);
    return failures ? 1 : 0;
}
