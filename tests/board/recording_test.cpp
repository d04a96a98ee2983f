// Mode → Record... in the window: run mode's steps reach the waveform file from the board
// worker's thread, and the recording's timing diagram is exported for the panel's registers.
#include "board_fixture.h"

#include "board/recording.h"
#include "panel/panelmodel.h"
#include "ui/filedialog.h"

#include <QAction>
#include <QImage>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <vcd_diagram.h>
#include <vcd_reader.h>

namespace {

std::vector<std::string> valuesOf(const brixo::VcdData& vcd, const char* name)
{
    std::vector<std::string> out;
    const brixo::VcdSignal* s = vcd.find(name);
    if (s)
        for (const brixo::VcdChange& c : vcd.changes(*s))
            out.push_back(vcd.valueOf(*s, c).substr(std::size_t(s->width - 4)));
    return out;
}

TEST_F(BoardLink, RecordingWritesRunModeAsAWaveformAndItsDiagram)
{
    MainWindow w;
    w.settingCtlNumber(4, 2, 4, 2, 1);
    w.createCtl();
    for (auto* list : {&w.panel()->switchButtons(), &w.panel()->keyButtons()})
        for (QPushButton* b : *list)
            b->show();
    w.designUIrecovery();
    auto* record = w.findChild<QAction*>(QStringLiteral("recordAction"));
    auto* exportDiagram = w.findChild<QAction*>(QStringLiteral("exportDiagramAction"));
    ASSERT_TRUE(record && exportDiagram);
    EXPECT_FALSE(exportDiagram->isEnabled()) << "nothing recorded yet";
    QTemporaryDir dir;

    FileDialog::setNextAnswer(QString()); // cancelled
    record->trigger();
    EXPECT_FALSE(record->isChecked());
    EXPECT_FALSE(w.recording()->recording());

    FileDialog::setNextAnswer(dir.filePath(QStringLiteral("run")));
    record->trigger();
    EXPECT_TRUE(record->isChecked());
    EXPECT_TRUE(w.recording()->statusLabel()->isVisible());
    EXPECT_TRUE(w.recording()->statusLabel()->text().contains(QStringLiteral("run.vcd")));
    circuit.setLeds({0x05, 0, 0, 0, 0});
    QTest::mouseClick(w.panel()->switchButtons()[1], Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    ASSERT_TRUE(waitIdle(w));
    circuit.setLeds({0x0A, 0, 0, 0, 0});
    QTest::mousePress(w.panel()->keyButtons()[0], Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    ASSERT_TRUE(waitIdle(w));
    QTest::mouseRelease(w.panel()->keyButtons()[0], Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    ASSERT_TRUE(waitIdle(w));
    record->trigger();
    EXPECT_FALSE(record->isChecked());
    EXPECT_TRUE(exportDiagram->isEnabled());
    const QString vcdPath = dir.filePath(QStringLiteral("run.vcd"));
    EXPECT_EQ(w.recording()->lastFile(), vcdPath);
    QTest::mouseClick(w.panel()->switchButtons()[2], Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    ASSERT_TRUE(waitIdle(w)); // after the recording: not in it

    brixo::VcdData vcd;
    std::string error;
    ASSERT_TRUE(brixo::readVcdFile(vcdPath.toStdString(), vcd, error)) << error;
    const struct {
        const char* name;
        std::vector<std::string> values;
    } cases[] = {
        {"sw", {"xxxx", "0010"}},
        {"key", {"xxxx", "0000", "0001", "0000"}},
        {"ledr", {"xxxx", "0101", "1010"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(valuesOf(vcd, c.name), c.values) << c.name;

    // The diagram shows the panel's registers: switches, keys, red and green LEDs, digit 0.
    const struct {
        const char* file;
        bool png;
    } exports[] = {{"d.svg", false}, {"d.png", true}};
    for (const auto& e : exports) {
        const QString out = dir.filePath(QLatin1String(e.file));
        FileDialog::setNextAnswer(out);
        exportDiagram->trigger();
        QFile written(out);
        ASSERT_TRUE(written.open(QIODevice::ReadOnly)) << e.file;
        if (!e.png) {
            const QByteArray svg = written.readAll();
            for (const char* label : {">sw[3:0]<", ">key[1:0]<", ">ledr[3:0]<", ">ledg[1:0]<", ">hex0<"})
                EXPECT_TRUE(svg.contains(label)) << label;
            EXPECT_EQ(svg.count("class=\"label\""), 5);
            continue;
        }
        const QImage image(out);
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), QSize(int(brixo::DiagramLayout::width()), int(brixo::DiagramLayout::height(5))));
        EXPECT_LT(qGray(image.pixel(int(brixo::DiagramLayout::kPlotLeft), int(brixo::DiagramLayout::high(0)) + 10)),
                  128)
            << "the first switch segment's edge is drawn";
    }
    EXPECT_TRUE(MessageBox::shown().isEmpty());

    // A recording still running when the window goes is written.
    const QString unfinished = dir.filePath(QStringLiteral("open.vcd"));
    {
        MainWindow other;
        FileDialog::setNextAnswer(unfinished);
        other.findChild<QAction*>(QStringLiteral("recordAction"))->trigger();
        ASSERT_TRUE(other.recording()->recording());
    }
    EXPECT_TRUE(brixo::readVcdFile(unfinished.toStdString(), vcd, error)) << error;
}

} // namespace
