// Run mode's two hot paths.
//
// 1. A full refresh of the largest panel (18 red and 18 green LEDs, 8 digits, 16 data slots)
//    with refreshVirtualPanel, against a naive redraw in the same run that loads and rescales
//    every picture on each call.
// 2. One switch click end to end through the board worker, vestrix and tamro to the emulated
//    HID adapter: the register operations and HID reports it costs, and the time that takes at
//    one report per 1 ms USB frame.
#include "app/mainwindow.h"
#include "board/runmode.h"
#include "board/virtualcomponentdata.h"
#include "panel/panelmodel.h"
#include "panel/brixobutton.h"
#include "support/emu_adapter.h"
#include "support/lab_circuit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QGraphicsScene>
#include <QLoggingCategory>
#include <QPushButton>
#include <QThread>
#include <benchmark/benchmark.h>

#include <hostui.h>
#include <tamro.h>
#include <vestrix.h>

namespace {

emu::LabCircuit& circuit()
{
    static emu::LabCircuit c;
    return c;
}

emu::Adapter& adapter()
{
    static emu::Adapter a(emu::Adapter::Kind::Hid, &circuit());
    return a;
}

MainWindow* window()
{
    static MainWindow* w = [] {
        emu::install();
        hostui::setCollecting(true);
        emu::attach(&adapter());
        auto* m = new MainWindow; // connects adapter 0 on its own
        m->settingCtlNumber(36, 20, 18, 18, 8);
        m->createCtl();
        // Laid out as on a real board: one row per kind, nothing overlapping.
        int row = 0;
        for (auto* list : {&m->panel()->switchButtons(), &m->panel()->keyButtons(), &m->panel()->redLedButtons(),
                           &m->panel()->greenLedButtons(), &m->panel()->digitButtons()}) {
            int x = 0;
            for (QPushButton* b : *list) {
                b->move(x, 10 + row * 60);
                x += b->width() + 4;
                b->show();
            }
            ++row;
        }
        m->designUIrecovery();
        for (int i = 0; i < 16; ++i) {
            auto* slot = new BrixoButton(m->panel()->panelView());
            slot->index = slot->key = i;
            slot->bitWidth = 8 + (i % 4) * 8; // 8 to 32 bits: 320 bits in all
            slot->move(10 + (i % 8) * 110, 10 + (row + i / 8) * 60);
            slot->show();
            m->panel()->addDataSlot(slot);
        }
        m->runMode()->boardData()->setDataSlots(m->panel()->dataSlots());
        return m;
    }();
    return w;
}

// The board's answer comes from its worker thread: until it is in (10 s at most).
void waitForBoard(MainWindow* w)
{
    QElapsedTimer clock;
    clock.start();
    while (w->runMode()->boardBusy() && clock.elapsed() < 10000) {
        QCoreApplication::processEvents();
        QThread::usleep(20);
    }
}

// Two board states that differ in every LED, digit and data slot.
void loadBoardState(MainWindow* w, bool odd)
{
    const std::uint8_t a = odd ? 0xA5 : 0x5A;
    circuit().setLeds({a, a, a, a, static_cast<std::uint8_t>(a & 0x0F)});
    circuit().setDigits(emu::LabCircuit::Bytes(8, static_cast<std::uint8_t>(odd ? 0xC0 : 0x86)));
    circuit().setCpuData(emu::LabCircuit::Bytes(40, a));
    // Read without the redraw the signal would start: the measured loop does the drawing.
    const QSignalBlocker quiet(w->runMode()->boardData());
    w->runMode()->boardData()->readOutputs();
    waitForBoard(w);
}

// What a redraw costs without the caching refreshVirtualPanel does: every LED picture and
// digit layer read and scaled again on each tick.
void naiveRedraw(MainWindow* w)
{
    static const char* const segments[8] = {"A1", "B1", "C1", "D1", "E1", "F1", "G1", "H1"};
    const QSize led = w->panel()->ledSize(), digit = w->panel()->sstubeSize();
    const VirtualComponentData* d = w->runMode()->boardData();
    for (int i = 0; i < 18; ++i) {
        const QString red = d->redLed(i) ? QStringLiteral(":/images/led_red") : QStringLiteral(":/images/led_off");
        w->panel()->redLedButtons()[i]->setIcon(
            QIcon(QPixmap(red).scaled(led, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
        const QString green =
            d->greenLed(i) ? QStringLiteral(":/images/led_green") : QStringLiteral(":/images/led_off");
        w->panel()->greenLedButtons()[i]->setIcon(
            QIcon(QPixmap(green).scaled(led, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    }
    for (int i = 0; i < 8; ++i) {
        QGraphicsScene* scene = w->panel()->digitScenes()[i];
        const auto seg = d->digit(i);
        scene->clear();
        scene->addPixmap(
            QPixmap(QStringLiteral(":/images/BG")).scaled(digit, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        for (int b = 0; b < 8; ++b)
            if (seg & (1u << b))
                scene->addPixmap(QPixmap(QStringLiteral(":/images/") + QLatin1String(segments[b]))
                                     .scaled(digit, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    }
    for (BrixoButton* slot : w->panel()->dataSlots())
        slot->setDataText(d->dataText(slot->index), false);
}

void BM_RefreshNaive(benchmark::State& state)
{
    MainWindow* w = window();
    bool odd = false;
    for (auto _ : state) {
        state.PauseTiming();
        odd = !odd;
        loadBoardState(w, odd);
        state.ResumeTiming();
        naiveRedraw(w);
        QCoreApplication::processEvents();
    }
}

void BM_RefreshVirtualPanel(benchmark::State& state)
{
    MainWindow* w = window();
    bool odd = false;
    for (auto _ : state) {
        state.PauseTiming();
        odd = !odd;
        loadBoardState(w, odd);
        state.ResumeTiming();
        w->refreshVirtualPanel();
        QCoreApplication::processEvents();
    }
}

// An automatic-refresh tick that finds the board unchanged, the common case: the naive redraw
// and refreshVirtualPanel over the same state.
void BM_RefreshNaiveUnchanged(benchmark::State& state)
{
    MainWindow* w = window();
    loadBoardState(w, true);
    for (auto _ : state) {
        naiveRedraw(w);
        QCoreApplication::processEvents();
    }
}

void BM_RefreshVirtualPanelUnchanged(benchmark::State& state)
{
    MainWindow* w = window();
    loadBoardState(w, true);
    w->refreshVirtualPanel();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        w->refreshVirtualPanel();
        QCoreApplication::processEvents();
    }
}

// What one click costs on the wire. The counters are per click.
void BM_SwitchClickEndToEnd(benchmark::State& state)
{
    MainWindow* w = window();
    w->runMode()->boardData()->simulationMode = false;
    bool on = false;
    std::size_t reportsOut = 0, reportsIn = 0, scans = 0;
    for (auto _ : state) {
        state.PauseTiming();
        adapter().clearRecords();
        circuit().clearRecords();
        state.ResumeTiming();
        on = !on;
        w->panel()->switchButtons()[35]->click();
        waitForBoard(w);
        state.PauseTiming();
        reportsOut += adapter().reports.size();
        reportsIn += static_cast<std::size_t>(adapter().inputReports);
        scans += circuit().scans().size();
        state.ResumeTiming();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["register_ops"] = static_cast<double>(scans) / n;
    state.counters["reports_out"] = static_cast<double>(reportsOut) / n;
    state.counters["reports_in"] = static_cast<double>(reportsIn) / n;
    // One report per 1 ms frame in each direction.
    state.counters["modelled_ms"] = static_cast<double>(reportsOut + reportsIn) / n;
}

// The all-change tick's refreshVirtualPanel call alone, its repaint left out of the timing: how
// much of the tick is this program's work and how much is Qt painting the changed widgets.
void BM_RefreshCallOnly(benchmark::State& state)
{
    MainWindow* w = window();
    bool odd = false;
    for (auto _ : state) {
        state.PauseTiming();
        odd = !odd;
        loadBoardState(w, odd);
        state.ResumeTiming();
        w->refreshVirtualPanel();
        state.PauseTiming();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

} // namespace

BENCHMARK(BM_RefreshNaive)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RefreshVirtualPanel)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RefreshCallOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RefreshNaiveUnchanged)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RefreshVirtualPanelUnchanged)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SwitchClickEndToEnd)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("brixo.board.debug=false"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
