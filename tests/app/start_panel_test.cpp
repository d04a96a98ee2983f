// A panel named on the command line opens exactly as one chosen in the Open dialog.
#include "app/mainwindow.h"
#include "panel/panelfiles.h"
#include "panel/panelmodel.h"

#include <QDir>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

int visible(const QVector<QPushButton*>& buttons)
{
    int n = 0;
    for (const QPushButton* b : buttons)
        n += b->isVisible() ? 1 : 0;
    return n;
}

struct Example {
    const char* file;
    const char* identifier;
    int switches, keys, red, green, digits;
};

TEST(StartPanel, EveryExampleOpensFromARelativePathInRunDress)
{
    const Example examples[] = {
        {"adder_a.jvp", "PLQWXNRDF1502", 13, 0, 0, 5, 8},
        {"adder_b.jvp", "RFKQSVNBT1512", 13, 0, 0, 5, 8},
        {"bus_register_shifter.jvp", "KVTRM1502", 18, 4, 18, 9, 8},
        {"counter_shifter_bus.jvp", "GZMWTH1708", 12, 4, 16, 4, 8},
    };
    const QString dir = QStringLiteral(BRIXO_EXAMPLES_DIR);
    const QString before = QDir::currentPath();
    QDir::setCurrent(dir); // the file manager passes what it has; a relative name must work
    MainWindow w;
    w.show();
    for (const Example& e : examples) {
        SCOPED_TRACE(e.file);
        w.openPanelAtStart(QString::fromLatin1(e.file));
        ASSERT_TRUE(w.panel()->hasPanel());
        EXPECT_EQ(w.files()->filePath(), QDir(dir).absoluteFilePath(QString::fromLatin1(e.file)));
        EXPECT_EQ(w.files()->fileKind(), QStringLiteral("jvp"));
        EXPECT_EQ(w.files()->lastDirectory(), dir);
        EXPECT_EQ(w.panel()->experiment(), QString::fromLatin1(e.identifier));
        EXPECT_FALSE(w.files()->isNewPanel());
        EXPECT_FALSE(w.panel()->background().image.isNull());
        EXPECT_TRUE(w.windowTitle().startsWith(QStringLiteral("Brixo - ")));
        EXPECT_EQ(visible(w.panel()->switchButtons()), e.switches);
        EXPECT_EQ(visible(w.panel()->keyButtons()), e.keys);
        EXPECT_EQ(visible(w.panel()->redLedButtons()), e.red);
        EXPECT_EQ(visible(w.panel()->greenLedButtons()), e.green);
        EXPECT_EQ(visible(w.panel()->digitButtons()), e.digits);
        // Run dress: switches are checkable toggles, not design-mode selections.
        for (const QPushButton* s : w.panel()->switchButtons()) {
            if (s->isVisible()) {
                EXPECT_TRUE(s->isCheckable());
            }
        }
    }
    QDir::setCurrent(before);
}

} // namespace
