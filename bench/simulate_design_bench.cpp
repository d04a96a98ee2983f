// From the Simulate command to a panel that answers: the example adder design compiled and
// served by brixo-labd, connected, a panel built from its ports and its outputs read back once.
// Baseline in the same run: opening the adder example panel with the built-in simulation.
#include "app/mainwindow.h"
#include "board/design_server.h"
#include "board/runmode.h"
#include "board/simulated_board.h"
#include "board/virtualcomponentdata.h"
#include "panel/panelmodel.h"
#include "ui/filedialog.h"
#include "ui/messagebox.h"

#include <QAction>
#include <QComboBox>
#include <QPushButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <benchmark/benchmark.h>

namespace {

void simulate(benchmark::State& state, const char* simulator)
{
    for (auto _ : state) {
        MainWindow w;
        w.simulatedBoard()->server()->program = QStringLiteral(BRIXO_LABD);
        FileDialog::setNextAnswers({QStringLiteral(BRIXO_SOURCE_DIR "/examples/verilog/adder.v")});
        MessageBox::setNextDialog([simulator](QDialog& d) {
            auto* box = d.findChild<QComboBox*>(QStringLiteral("simulator"));
            box->setCurrentIndex(std::max(0, box->findData(QLatin1String(simulator))));
            return int(QDialog::Accepted);
        });
        MessageBox::setNextAnswer(QMessageBox::Yes);
        QElapsedTimer clock;
        clock.start();
        w.findChild<QAction*>(QStringLiteral("simulateDesignAction"))->trigger();
        // Answering: connected, the panel built and digit 0 showing the design's 0.
        if (!QTest::qWaitFor(
                [&w] {
                    return w.simulatedBoard()->isConnected() && w.panel()->hasPanel() &&
                           w.runMode()->boardData()->digit(0) != 0;
                },
                120000)) {
            state.SkipWithError("the design did not answer");
            break;
        }
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
    }
}

void BM_SimulateAdderIcarus(benchmark::State& state) { simulate(state, "iverilog"); }
void BM_SimulateAdderVerilator(benchmark::State& state) { simulate(state, "verilator"); }

void BM_BaselineOpenAdderPanel(benchmark::State& state)
{
    for (auto _ : state) {
        MainWindow w;
        QElapsedTimer clock;
        clock.start();
        w.openPanelAtStart(QStringLiteral(BRIXO_SOURCE_DIR "/examples/adder_a.jvp"));
        w.findChild<QAction*>(QStringLiteral("simulationAction"))->trigger();
        QTest::mouseClick(w.panel()->switchButtons()[0], Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
    }
}

} // namespace

BENCHMARK(BM_BaselineOpenAdderPanel)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SimulateAdderIcarus)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SimulateAdderVerilator)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
