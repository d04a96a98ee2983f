// Downloading an FPGA configuration file in 500-byte pieces, with a progress bar across the
// top of the parent window. The file is read piece by piece into one buffer and never copied
// whole; every stage that was reached is undone on the way out.
#include "internal.h"

#include <hostui.h>
#include <tamro.h>
#include <vestrix.h>

#include <cerrno>
#include <fcntl.h>
#include <algorithm>
#include <memory>
#include <vector>
#include <sys/stat.h>
#include <unistd.h>

namespace vestrix {

const char *const kProgressTitle = "下载进度";
const char *const kFileOpenText = "无法打开指定的文件！";
const char *const kFileEmptyText = "指定的文件不包含任何内容！";

int pieceCount(uint32_t size) { return int((uint64_t(size) + kPieceSize - 1) / kPieceSize); }

int progressMaximum(int pieces)
{
    const long long top = (long long)pieces * 9 / 10;
    return int(top > 0xFFFF ? 0xFFFF : top); // the bar keeps its bounds in 16 bits
}

namespace {

class File {
public:
    // Non-blocking, so that a named pipe without a writer is refused instead of hanging the
    // caller in open(); reads of a plain file do not notice the flag.
    explicit File(const char *path) : fd_(path ? ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK) : -1) {}
    ~File()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    File(const File &) = delete;
    File &operator=(const File &) = delete;
    int fd() const { return fd_; }

    // Fills up to `size` bytes; the count read, or -1 on a read error.
    long read(uint8_t *to, long size)
    {
        long got = 0;
        while (got < size) {
            const ssize_t n = ::read(fd_, to + got, size_t(size - got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return -1;
            if (n == 0)
                break;
            got += n;
        }
        return got;
    }

private:
    int fd_;
};

int refuse(const char *text, int code)
{
    if (state().messagesEnabled)
        hostui::showMessage(state().parentWindow, text, "");
    return code;
}

} // namespace

} // namespace vestrix

using namespace vestrix;

extern "C" {

VESTRIX_API VestrixResult ConfigureFPGA(const char *path)
{
    File file(path);
    struct stat info {};
    // Only a plain file can be a configuration; a size beyond 32 bits cannot be announced.
    if (file.fd() < 0 || ::fstat(file.fd(), &info) != 0 || !S_ISREG(info.st_mode) ||
        uint64_t(info.st_size) > 0xFFFFFFFFull)
        return refuse(kFileOpenText, FileOpenFailed);
    const uint32_t size = uint32_t(info.st_size);
    if (size == 0)
        return refuse(kFileEmptyText, FileEmpty);

    int rc = ConfigureFPGAAsk(int(size));
    if (rc != Ok)
        return rc;

    const int pieces = pieceCount(size);
    // A caller's callback takes the bar's place and may stop the download between pieces.
    const VestrixProgressCallback progress = state().progress;
    void *const user = state().progressUser;
    std::unique_ptr<hostui::ProgressBar> bar;
    if (progress) {
        if (progress(0, pieces, user) != 0)
            return DownloadCancelled;
    } else if (state().parentWindow) {
        bar = std::make_unique<hostui::ProgressBar>(state().parentWindow, kProgressTitle);
        bar->setRange(0, progressMaximum(pieces));
    }

    // Read 64 pieces at a time: one read call per 32,000 bytes, not one per piece.
    constexpr long kBlock = 64L * kPieceSize;
    std::vector<uint8_t> block(size_t(std::min<long>(kBlock, long(size))));
    long have = 0, at = 0;
    for (int i = 0; i < pieces; ++i) {
        if (at == have) {
            const long want = std::min<long>(kBlock, long(size) - long(i) * kPieceSize);
            have = file.read(block.data(), want);
            at = 0;
            if (have != want)
                return FileOpenFailed; // the file shrank or failed under us: never send a short tail
        }
        const long n = std::min<long>(kPieceSize, have - at);
        rc = ConfigureFPGAData(block.data() + at, int(n));
        if (rc != Ok)
            return rc;
        at += n;
        if (bar)
            bar->step();
        if (progress && progress(i + 1, pieces, user) != 0)
            return DownloadCancelled; // between pieces, and without the end step
    }
    return ConfigureFPGADone();
}

VESTRIX_API VestrixResult SetConfigureProgress(VestrixProgressCallback callback, void *user)
{
    state().progress = callback;
    state().progressUser = callback ? user : nullptr;
    return Ok;
}

VESTRIX_API VestrixResult ConfigureFPGABytes(int totalSize) { return ConfigureFPGAAsk(totalSize); }

VESTRIX_API VestrixResult ConfigureFPGAContent(const unsigned char *data, int size)
{
    return ConfigureFPGAData(data, size);
}

VESTRIX_API VestrixResult ConfigureFPGAOk(void) { return ConfigureFPGADone(); }

VESTRIX_API VestrixResult EnterUpgradeFirmware(void) { return UpgradeFirmwareAsk(); }

} // extern "C"
