#include "file_write.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <csignal>

using namespace panelfile;

TEST(FileWrite, ReplacesWholeFileOrLeavesItAlone)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("p.jvp"));
    ASSERT_TRUE(writeFileAtomically(path, "first version, longer"));
    ASSERT_TRUE(writeFileAtomically(path, "second"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("second"));

    EXPECT_FALSE(writeFileAtomically(QString(), "x")); // cancelled dialog
    EXPECT_FALSE(writeFileAtomically(dir.filePath(QStringLiteral("missing/dir/p.jvp")), "x"));
}

TEST(FileWrite, ShortWriteFailsAndKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.jvp"));
    ASSERT_TRUE(writeFileAtomically(path, "old"));
    // A file-size limit cuts the write short even for root, like a full disk would.
    signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 512;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool ok = writeFileAtomically(path, QByteArray(5000, 'x'));
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(ok);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("old"));
}
