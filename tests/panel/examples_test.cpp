// The shipped example panels: each opens, names one of the four simulated experiments, and
// every component lies on its background picture without overlapping another.
#include "jvp_format.h"

#include <QDir>
#include <QFile>
#include <QRect>
#include <QSet>
#include <gtest/gtest.h>

using namespace panelfile;

namespace {

QSize sizeOf(const Document &d, const Entry &e)
{
    switch (e.kind) {
    case Kind::Switch: return e.upright ? d.switchSize : d.switchSize.transposed();
    case Kind::Key: return d.buttonSize;
    case Kind::Digit: return d.sstubeSize;
    default: return d.ledSize;
    }
}

TEST(Examples, OpenOnTheirPictureOnePerExperiment)
{
    const QDir dir(QStringLiteral(BRIXO_EXAMPLES_DIR));
    const QStringList files = dir.entryList({QStringLiteral("*.jvp")}, QDir::Files);
    ASSERT_EQ(files.size(), 4);
    QSet<QString> identifiers;
    for (const QString &name : files) {
        SCOPED_TRACE(name.toStdString());
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        Document doc;
        ASSERT_TRUE(readJvp(f.readAll(), doc));
        identifiers.insert(doc.description);
        EXPECT_FALSE(doc.name.isEmpty());
        ASSERT_FALSE(doc.background.isNull());
        const QRect picture(QPoint(0, 0), doc.background.size());
        QVector<QRect> placed;
        for (const Entry &e : doc.entries) {
            const QRect r(e.pos, sizeOf(doc, e));
            EXPECT_TRUE(picture.contains(r)) << "component " << int(e.kind) << "/" << e.index;
            for (const QRect &other : placed)
                EXPECT_FALSE(r.intersects(other)) << "component " << int(e.kind) << "/" << e.index;
            placed.push_back(r);
        }
        EXPECT_GE(doc.entries.size(), 13);
    }
    const QSet<QString> expected{QStringLiteral("KVTRM1502"), QStringLiteral("PLQWXNRDF1502"),
                                 QStringLiteral("RFKQSVNBT1512"), QStringLiteral("GZMWTH1708")};
    EXPECT_EQ(identifiers, expected);
}

} // namespace
