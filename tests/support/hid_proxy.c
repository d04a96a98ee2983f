/* A stand-in for hidapi, loaded into a brixo-cli process with LD_PRELOAD by the command-line
 * tests: every hidapi call the adapter driver makes is carried over a local socket to the
 * emulated adapters that the test process serves (emu_hid_service). The shipped libraries
 * are unchanged and hold no test path; without LD_PRELOAD this file is never loaded.
 *
 * The socket is named by BRIXO_EMU_HID_SOCKET. Requests are single datagrams: an operation
 * byte and its arguments; every reply is awaited with a time limit. */
#include <hidapi.h>

#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>
#include <wchar.h>

#define PROXY_MAX 4096

static int channel = -1;

static int connectChannel(void)
{
    if (channel >= 0)
        return channel;
    const char *path = getenv("BRIXO_EMU_HID_SOCKET");
    if (!path || strlen(path) >= sizeof(((struct sockaddr_un *)0)->sun_path))
        return -1;
    int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    struct sockaddr_un addr;
    memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    strcpy(addr.sun_path, path);
    if (fd < 0 || connect(fd, (struct sockaddr *)&addr, sizeof addr) != 0) {
        if (fd >= 0)
            close(fd);
        return -1;
    }
    channel = fd;
    return fd;
}

/* Sends a request and waits up to limitMs for its reply; the reply's length or -1. */
static int ask(const uint8_t *request, size_t length, uint8_t *reply, int limitMs)
{
    int fd = connectChannel();
    if (fd < 0 || send(fd, request, length, MSG_NOSIGNAL) != (ssize_t)length)
        return -1;
    struct timeval tv = {limitMs / 1000, (limitMs % 1000) * 1000};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    ssize_t n = recv(fd, reply, PROXY_MAX, 0);
    return n < 0 ? -1 : (int)n;
}

static void put32(uint8_t *p, int32_t v) { memcpy(p, &v, 4); }
static int32_t get32(const uint8_t *p)
{
    int32_t v;
    memcpy(&v, p, 4);
    return v;
}

int hid_init(void) { return 0; }
int hid_exit(void) { return 0; }

struct hid_device_info *hid_enumerate(unsigned short vendor, unsigned short product)
{
    uint8_t request[5] = {'E'}, reply[PROXY_MAX];
    memcpy(request + 1, &vendor, 2);
    memcpy(request + 3, &product, 2);
    int n = ask(request, sizeof request, reply, 5000);
    struct hid_device_info *first = NULL, **tail = &first;
    /* Entries: path length, path, product length, product (ASCII), readable flag. */
    for (int at = 0; n > 0 && at + 2 <= n;) {
        int pathLength = reply[at], nameLength = reply[at + 1];
        if (at + 3 + pathLength + nameLength > n)
            break;
        struct hid_device_info *d = calloc(1, sizeof *d);
        d->path = strndup((const char *)reply + at + 2, (size_t)pathLength);
        d->vendor_id = vendor;
        d->product_id = product;
        if (reply[at + 2 + pathLength + nameLength]) {
            d->product_string = calloc((size_t)nameLength + 1, sizeof(wchar_t));
            for (int i = 0; i < nameLength; ++i)
                d->product_string[i] = (wchar_t)reply[at + 2 + pathLength + i];
        }
        *tail = d;
        tail = &d->next;
        at += 3 + pathLength + nameLength;
    }
    return first;
}

void hid_free_enumeration(struct hid_device_info *devices)
{
    while (devices) {
        struct hid_device_info *next = devices->next;
        free(devices->path);
        free(devices->product_string);
        free(devices);
        devices = next;
    }
}

hid_device *hid_open_path(const char *path)
{
    uint8_t request[PROXY_MAX] = {'O'}, reply[PROXY_MAX];
    size_t length = strnlen(path, PROXY_MAX - 2);
    memcpy(request + 1, path, length);
    int n = ask(request, length + 1, reply, 5000);
    return n == 4 && get32(reply) > 0 ? (hid_device *)(intptr_t)get32(reply) : NULL;
}

int hid_write(hid_device *device, const unsigned char *data, size_t length)
{
    uint8_t request[PROXY_MAX] = {'W'}, reply[PROXY_MAX];
    if (length > PROXY_MAX - 5)
        return -1;
    put32(request + 1, (int32_t)(intptr_t)device);
    memcpy(request + 5, data, length);
    int n = ask(request, length + 5, reply, 5000);
    return n == 4 ? get32(reply) : -1;
}

int hid_read_timeout(hid_device *device, unsigned char *data, size_t length, int milliseconds)
{
    uint8_t request[13] = {'R'}, reply[PROXY_MAX];
    put32(request + 1, (int32_t)(intptr_t)device);
    put32(request + 5, (int32_t)(length > PROXY_MAX - 4 ? PROXY_MAX - 4 : length));
    put32(request + 9, milliseconds);
    int n = ask(request, sizeof request, reply, (milliseconds < 0 ? 0 : milliseconds) + 5000);
    if (n < 4)
        return -1;
    int got = get32(reply);
    if (got > 0 && got <= n - 4 && (size_t)got <= length)
        memcpy(data, reply + 4, (size_t)got);
    return got;
}

void hid_close(hid_device *device)
{
    uint8_t request[5] = {'C'}, reply[PROXY_MAX];
    put32(request + 1, (int32_t)(intptr_t)device);
    ask(request, sizeof request, reply, 5000);
}
