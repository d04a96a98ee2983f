#include "file_write.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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

    EXPECT_FALSE(writeFileAtomically(QString(), "x"));  // cancelled dialog
    EXPECT_FALSE(writeFileAtomically(dir.filePath(QStringLiteral("missing/dir/p.jvp")), "x"));
}
