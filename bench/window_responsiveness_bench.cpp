// How live the window stays while a slow remote board answers: a remote-lab server on loopback
// that takes 2 s over every request, a panel clicked three times (each click once the last one
// has been drawn), and a 10 ms timer whose lateness says how long the event loop was held up.
#include "app/mainwindow.h"
#include "board/runmode.h"
#include "board/tamroadpter.h"
#include "board/virtualcomponentdata.h"
#include "panel/panelmodel.h"
#include "support/emu_adapter.h"
#include "support/emu_lab_server.h"
#include "support/lab_circuit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLoggingCategory>
#include <QPushButton>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <hostui.h>

#include <algorithm>
#include <vector>

namespace {

constexpr int kAnswerDelayMs = 2000;
constexpr int kTickMs = 10;
constexpr int kClicks = 3;

void BM_TimerLatenessDuringSlowClicks(benchmark::State& state)
{
    emu::install();
    hostui::setCollecting(true);
    emu::LabCircuit circuit;
    emu::LabServer server(&circuit);
    for (auto _ : state) {
        MainWindow w;
        w.settingCtlNumber(4, 1, 4, 0, 1);
        w.createCtl();
        for (QPushButton* b : w.panel()->switchButtons())
            b->show();
        w.designUIrecovery();
        TamroAdpter adapter;
        adapter.scan(true, QStringLiteral("127.0.0.1"), server.port());
        if (adapter.connect(adapter.indexOf(QStringLiteral("Lantrovex"))) != 0) {
            state.SkipWithError("the server was not connected");
            break;
        }
        server.setAnswerDelay(kAnswerDelayMs);
        const std::size_t requestsBefore = server.requests().size();

        std::vector<double> lateMs;
        QElapsedTimer sinceTick;
        QTimer tick;
        tick.setTimerType(Qt::PreciseTimer);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            lateMs.push_back(std::max(0.0, sinceTick.nsecsElapsed() / 1e6 - kTickMs));
            sinceTick.restart();
        });
        QEventLoop loop;
        int clicks = 0, drawn = 0;
        const auto click = [&] {
            ++clicks;
            w.panel()->switchButtons()[0]->click();
        };
        QObject::connect(w.runMode()->boardData(), &VirtualComponentData::FPGAStateChanged, [&] {
            if (++drawn < clicks)
                return;
            if (clicks < kClicks)
                QTimer::singleShot(50, click);
            else
                loop.quit();
        });
        QTimer limit;
        limit.setSingleShot(true);
        QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
        limit.start(kClicks * 60 * kAnswerDelayMs);
        QElapsedTimer clock;
        clock.start();
        sinceTick.start();
        tick.start(kTickMs);
        QTimer::singleShot(50, click);
        loop.exec();
        tick.stop();
        server.setAnswerDelay(0);
        if (drawn < kClicks) {
            state.SkipWithError("the clicks were not answered in time");
            break;
        }
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
        std::sort(lateMs.begin(), lateMs.end());
        state.counters["late_max_ms"] = lateMs.empty() ? 0 : lateMs.back();
        state.counters["late_p99_ms"] = lateMs.empty() ? 0 : lateMs[lateMs.size() * 99 / 100];
        state.counters["ticks"] = double(lateMs.size());
        state.counters["requests_per_click"] = double(server.requests().size() - requestsBefore) / kClicks;
    }
    hostui::setCollecting(false);
    emu::uninstall();
}

} // namespace

BENCHMARK(BM_TimerLatenessDuringSlowClicks)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

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
