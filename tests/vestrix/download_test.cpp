// The FPGA download through vestrix and tamro to the emulated adapter, with the progress bar
// on a real (offscreen) window.
#include "lab_fixture.h"

#include <QEvent>
#include <QProgressBar>
#include <QTest>
#include <QWidget>

#include <cstdio>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using Event = hostui::ProgressEvent;

namespace {

// A configuration file of `size` bytes of a running pattern, removed again at the end.
class TempFile {
public:
    explicit TempFile(size_t size)
    {
        char name[] = "/tmp/vestrix_rbf_XXXXXX";
        const int fd = mkstemp(name);
        ::close(fd);
        path = name;
        for (size_t i = 0; i < size; ++i)
            content.push_back(uint8_t(i * 7 + i / 251));
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char *>(content.data()), std::streamsize(size));
    }
    ~TempFile() { std::remove(path.c_str()); }
    std::string path;
    std::vector<uint8_t> content;
};

int count(const std::vector<Event> &events, Event::Kind kind)
{
    int n = 0;
    for (const Event &e : events)
        n += e.kind == kind;
    return n;
}

} // namespace

class Download : public Lab {
protected:
    void SetUp() override
    {
        Lab::SetUp();
        window.resize(640, 480);
        window.show();
        SetParentWnd(reinterpret_cast<void *>(window.winId()));
    }
    QWidget window;
};

TEST_F(Download, PiecesAndBarFollowTheFileSize)
{
    struct Case {
        size_t size;
        std::vector<int> pieces;
        int maximum;
    };
    const Case cases[] = {
        {1, {1}, 0},
        {500, {500}, 0},
        {1000, {500, 500}, 1},
        {1001, {500, 500, 1}, 2},
        {10000, std::vector<int>(20, 500), 18},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.size);
        TempFile file(c.size);
        clear();
        ASSERT_EQ(ConfigureFPGA(file.path.c_str()), VESTRIX_OK);
        EXPECT_EQ(size_t(adapter.fpgaAnnounced), c.size);
        EXPECT_EQ(adapter.fpgaPieceSizes, c.pieces);
        EXPECT_EQ(adapter.fpgaData, file.content);
        EXPECT_TRUE(adapter.fpgaDone);

        const auto events = hostui::takeProgressEvents();
        ASSERT_GE(events.size(), 3u);
        EXPECT_EQ(events.front().kind, Event::Created);
        EXPECT_EQ(events.front().title, "下载进度");
        EXPECT_EQ(events.front().owner, reinterpret_cast<void *>(window.winId()));
        EXPECT_TRUE(events.front().shown);
        EXPECT_EQ(events[1].kind, Event::Range);
        EXPECT_EQ(events[1].maximum, c.maximum);
        EXPECT_EQ(count(events, Event::Step), int(c.pieces.size()));
        for (const Event &e : events)
            EXPECT_TRUE(e.shown);
        EXPECT_EQ(events.back().kind, Event::Destroyed);
        EXPECT_EQ(events.back().value, c.maximum); // full from 90 % of the pieces on
        EXPECT_EQ(window.findChildren<QProgressBar *>().size(), 0);
        EXPECT_TRUE(hostui::takeCollected().empty());
    }
}

TEST_F(Download, WithoutAParentWindowThereIsNoBar)
{
    SetParentWnd(nullptr);
    TempFile file(1234);
    ASSERT_EQ(ConfigureFPGA(file.path.c_str()), VESTRIX_OK);
    EXPECT_EQ(adapter.fpgaData, file.content);
    EXPECT_TRUE(hostui::takeProgressEvents().empty());
}

TEST_F(Download, FilesThatCannotBeSentAreRefusedBeforeAnythingIsSent)
{
    TempFile empty(0);
    char dir[] = "/tmp/vestrix_dir_XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    // A named pipe nobody writes to: opening it for reading used to block for ever.
    const std::string fifo = std::string(dir) + "/pipe.rbf";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    struct Case {
        std::string path;
        int code;
        const char *text;
    };
    const Case cases[] = {
        {"/tmp/vestrix-no-such-file.rbf", VESTRIX_FILE_OPEN_FAILED, "无法打开指定的文件！"},
        {dir, VESTRIX_FILE_OPEN_FAILED, "无法打开指定的文件！"},
        {fifo, VESTRIX_FILE_OPEN_FAILED, "无法打开指定的文件！"},
        {empty.path, VESTRIX_FILE_EMPTY, "指定的文件不包含任何内容！"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path);
        for (int messages : {0, 1}) {
            EnableDLLMessage(messages);
            clear();
            EXPECT_EQ(ConfigureFPGA(c.path.c_str()), c.code);
            EXPECT_TRUE(adapter.frames.empty());
            EXPECT_TRUE(hostui::takeProgressEvents().empty());
            const auto boxes = hostui::takeCollected();
            if (!messages) {
                EXPECT_TRUE(boxes.empty());
                continue;
            }
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0].text, c.text);
            EXPECT_EQ(boxes[0].caption, "");
            EXPECT_EQ(boxes[0].owner, reinterpret_cast<void *>(window.winId()));
        }
    }
    EXPECT_EQ(ConfigureFPGA(nullptr), VESTRIX_FILE_OPEN_FAILED);
    unlink(fifo.c_str());
    rmdir(dir);
}

// Each failing stage returns its code; the bar, once made, is destroyed on every path.
TEST_F(Download, FailuresAtEachStep)
{
    TempFile file(10000);
    struct Case {
        const char *name;
        int sizeStatus, failPiece, doneStatus;
        int code;
        int pieces;
        bool done;
    };
    const Case cases[] = {
        {"size announcement", 1, -1, 0, VESTRIX_NOT_SUPPORTED, 0, false},
        {"first piece", 0, 0, 0, VESTRIX_FPGA_DATA_FAILED, 1, false},
        {"eighth piece", 0, 7, 0, VESTRIX_FPGA_DATA_FAILED, 8, false},
        {"last piece", 0, 19, 0, VESTRIX_FPGA_DATA_FAILED, 20, false},
        {"end step", 0, -1, 1, VESTRIX_FPGA_CONFIG_FAILED, 20, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        adapter.fpgaSizeStatus = uint8_t(c.sizeStatus);
        adapter.failFpgaPiece = c.failPiece;
        adapter.fpgaDoneStatus = uint8_t(c.doneStatus);
        clear();
        EXPECT_EQ(ConfigureFPGA(file.path.c_str()), c.code);
        EXPECT_EQ(int(adapter.fpgaPieceSizes.size()), c.pieces);
        EXPECT_EQ(adapter.fpgaDone, c.done);
        const auto events = hostui::takeProgressEvents();
        if (c.pieces == 0) {
            EXPECT_TRUE(events.empty()); // refused before the bar was made
        } else {
            ASSERT_FALSE(events.empty());
            EXPECT_EQ(count(events, Event::Created), 1);
            EXPECT_EQ(events.back().kind, Event::Destroyed);
            EXPECT_EQ(count(events, Event::Step), c.failPiece >= 0 ? c.failPiece : c.pieces);
        }
        EXPECT_EQ(window.findChildren<QProgressBar *>().size(), 0);
        EXPECT_TRUE(balanced());
    }
}

TEST_F(Download, AFileThatShrinksPartWayIsNotFinished)
{
    TempFile file(100000);
    adapter.onFpgaPiece = [&](int piece) {
        if (piece == 3)
            truncate(file.path.c_str(), 50000);
    };
    EXPECT_EQ(ConfigureFPGA(file.path.c_str()), VESTRIX_FILE_OPEN_FAILED);
    adapter.onFpgaPiece = nullptr;
    EXPECT_EQ(adapter.fpgaAnnounced, 100000);
    // What was read before the cut went out in whole pieces; no short piece, no end step.
    EXPECT_FALSE(adapter.fpgaPieceSizes.empty());
    for (int n : adapter.fpgaPieceSizes)
        EXPECT_EQ(n, 500);
    EXPECT_LE(adapter.fpgaPieceSizes.size(), 100u);
    EXPECT_FALSE(adapter.fpgaDone);
    const auto events = hostui::takeProgressEvents();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().kind, Event::Destroyed);
}

TEST_F(Download, SingleStepsPassStraightThrough)
{
    EXPECT_EQ(ConfigureFPGABytes(74565), VESTRIX_OK);
    EXPECT_EQ(adapter.fpgaAnnounced, 74565);
    const unsigned char data[3] = {1, 2, 3};
    EXPECT_EQ(ConfigureFPGAContent(data, 3), VESTRIX_OK);
    EXPECT_EQ(adapter.fpgaData, (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(ConfigureFPGAOk(), VESTRIX_OK);
    EXPECT_TRUE(adapter.fpgaDone);
    EXPECT_EQ(EnterUpgradeFirmware(), VESTRIX_OK);
    EXPECT_TRUE(adapter.upgradeRequested);

    adapter.fpgaSizeStatus = adapter.fpgaDataStatus = adapter.fpgaDoneStatus = adapter.upgradeStatus = 1;
    EXPECT_EQ(ConfigureFPGABytes(1), VESTRIX_NOT_SUPPORTED);
    EXPECT_EQ(ConfigureFPGAContent(data, 3), VESTRIX_FPGA_DATA_FAILED);
    EXPECT_EQ(ConfigureFPGAOk(), VESTRIX_FPGA_CONFIG_FAILED);
    EXPECT_EQ(EnterUpgradeFirmware(), VESTRIX_NOT_SUPPORTED);
    EXPECT_TRUE(hostui::takeProgressEvents().empty());
}

// The bar is repainted only when what it shows changes, not once per piece: a 368,000-byte
// download is 737 pieces on a bar of 663 steps across a 640-pixel window.
TEST_F(Download, TheBarRepaintsOnlyWhenItsPictureChanges)
{
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject *, QEvent *e) override
        {
            paints += e->type() == QEvent::Paint;
            return false;
        }
    } counter;
    adapter.onFpgaPiece = [&](int piece) {
        if (piece == 0)
            if (auto *bar = window.findChild<QProgressBar *>())
                bar->installEventFilter(&counter);
    };
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window)); // an unexposed window paints nothing
    TempFile file(368000);
    ASSERT_EQ(ConfigureFPGA(file.path.c_str()), VESTRIX_OK);
    adapter.onFpgaPiece = nullptr;
    EXPECT_GT(counter.paints, 0);
    EXPECT_LT(counter.paints, 663); // fewer than the bar's steps, let alone its 737 pieces
}
