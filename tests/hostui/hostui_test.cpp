// Message boxes and the progress bar on a real (offscreen) Qt event loop.
#include "hostui.h"

#include <QApplication>
#include <QMessageBox>
#include <QProgressBar>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <thread>

TEST(HostUi, BoxIsOwnedByTheWindowWithThatNativeId)
{
    QWidget main, other;
    main.resize(400, 300);
    main.show();
    other.show();
    void *id = reinterpret_cast<void *>(main.winId());
    (void)other.winId();
    EXPECT_EQ(hostui::findOwner(id), &main);
    EXPECT_EQ(hostui::findOwner(nullptr), nullptr);
    EXPECT_EQ(hostui::findOwner(reinterpret_cast<void *>(uintptr_t(0xDEAD))), nullptr);

    // A real modal box: dismissed from the event loop once it is up.
    QWidget *seenParent = nullptr;
    QString seenText, seenTitle;
    QTimer::singleShot(0, [&] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *box = qobject_cast<QMessageBox *>(w)) {
                seenParent = box->parentWidget();
                seenText = box->text();
                seenTitle = box->windowTitle();
                box->accept();
            }
    });
    hostui::showMessage(id, "连接FPGA失败！", "错误代码：-4");
    EXPECT_EQ(seenParent, &main);
    EXPECT_EQ(seenText, QString::fromUtf8("连接FPGA失败！"));
    EXPECT_EQ(seenTitle, QString::fromUtf8("错误代码：-4"));
}

TEST(HostUi, CollectingRecordsInsteadOfShowing)
{
    hostui::setCollecting(true);
    int dummy;
    hostui::showMessage(&dummy, "a", "b");
    hostui::showMessage(nullptr, "c", "d");
    auto boxes = hostui::takeCollected();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].owner, &dummy);
    EXPECT_EQ(boxes[1].text, "c");
    EXPECT_TRUE(hostui::takeCollected().empty());
    hostui::setCollecting(false);
}

TEST(HostUi, ProgressBarAcrossTheTopOfTheOwner)
{
    QWidget main;
    main.resize(500, 300);
    main.show();
    {
        hostui::ProgressBar bar(reinterpret_cast<void *>(main.winId()), "下载进度");
        ASSERT_TRUE(bar.shown());
        bar.setRange(0, 3);
        auto *widget = main.findChild<QProgressBar *>("hostuiProgress");
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->geometry().topLeft(), QPoint(0, 0));
        EXPECT_EQ(widget->width(), 500);
        EXPECT_TRUE(widget->isVisible());
        for (int i = 0; i < 5; ++i)
            bar.step();
        EXPECT_EQ(bar.value(), 3); // never past the range
        EXPECT_EQ(widget->value(), 3);
        EXPECT_EQ(widget->maximum(), 3);
    }
    EXPECT_EQ(main.findChild<QProgressBar *>("hostuiProgress"), nullptr); // destroyed

    // The owner window closing first leaves a bar that only counts.
    auto *gone = new QWidget;
    gone->show();
    hostui::ProgressBar late(reinterpret_cast<void *>(gone->winId()), "下载进度");
    ASSERT_TRUE(late.shown());
    delete gone;
    EXPECT_FALSE(late.shown());
    late.step();

    hostui::ProgressBar orphan(nullptr, "下载进度");
    EXPECT_FALSE(orphan.shown());
    orphan.setRange(0, 2);
    orphan.step();
    EXPECT_EQ(orphan.value(), 1);
}

// A board worker's download and message: made on the application's thread, never waited for.
TEST(HostUi, CalledFromAnotherThreadTheWidgetsAreMadeOnTheApplicationsThread)
{
    QWidget main;
    main.resize(500, 300);
    main.show();
    void *id = reinterpret_cast<void *>(main.winId());
    hostui::setCollecting(true);
    bool shownThere = true;
    std::thread worker([id, &shownThere] {
        hostui::ProgressBar bar(id, "下载进度");
        shownThere = bar.shown(); // not yet: the application's thread has not run
        bar.setRange(0, 2);
        for (int i = 0; i < 3; ++i)
            bar.step();
    });
    worker.join();
    EXPECT_FALSE(shownThere);
    EXPECT_TRUE(hostui::takeProgressEvents().empty());
    QCoreApplication::processEvents();
    const auto events = hostui::takeProgressEvents();
    ASSERT_EQ(events.size(), 6u);
    EXPECT_EQ(events.front().kind, hostui::ProgressEvent::Created);
    for (const auto &e : events)
        EXPECT_TRUE(e.shown);
    EXPECT_EQ(events[4].value, 2); // never past the range
    EXPECT_EQ(events.back().kind, hostui::ProgressEvent::Destroyed);
    EXPECT_EQ(main.findChild<QProgressBar *>("hostuiProgress"), nullptr);
    hostui::setCollecting(false);

    std::thread([id] { hostui::showMessage(id, "连接FPGA失败！", "错误代码：-4"); }).join();
    QCoreApplication::processEvents();
    QMessageBox *box = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *b = qobject_cast<QMessageBox *>(w); b && b->isVisible())
            box = b;
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), QString::fromUtf8("连接FPGA失败！"));
    EXPECT_EQ(box->parentWidget(), &main);
    EXPECT_TRUE(box->isModal());
    box->accept();
}

int main(int argc, char **argv)
{
    // Test discovery runs the binary without the suite's environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
