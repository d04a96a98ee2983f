// One refresh tick draws every digit of the panel. showSSTube reuses the pictures scaled once
// per size; the baseline, measured in the same run, rescales the nine pictures on every draw.
#include "app/mainwindow.h"
#include "panel/panelmodel.h"

#include <QApplication>
#include <QGraphicsScene>
#include <benchmark/benchmark.h>

namespace {
MainWindow* window()
{
    static MainWindow* w = [] {
        auto* m = new MainWindow;
        m->settingCtlNumber(0, 0, 0, 0, 8);
        m->createCtl();
        return m;
    }();
    return w;
}

void BM_RefreshTickCached(benchmark::State& state)
{
    MainWindow* w = window();
    unsigned pattern = 0;
    for (auto _ : state) {
        for (int i = 0; i < 8; ++i)
            w->showSSTube(i, static_cast<char>(pattern++));
        QCoreApplication::processEvents(); // the scenes' update bookkeeping, as the event loop does
    }
    state.SetItemsProcessed(state.iterations() * 8);
}

void BM_RefreshTickRescaleEachDraw(benchmark::State& state)
{
    MainWindow* w = window();
    unsigned pattern = 0;
    for (auto _ : state) {
        for (int i = 0; i < 8; ++i) {
            QGraphicsScene* scene = w->panel()->digitScenes()[i];
            const auto seg = static_cast<unsigned char>(pattern++);
            scene->clear();
            scene->addPixmap(w->panel()->pictures().digitBackgroundImage.scaled(
                w->panel()->sstubeSize(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
            for (int b = 0; b < 8; ++b)
                if (seg & (1u << b))
                    scene->addPixmap(w->panel()->pictures().segmentImages[b].scaled(
                        w->panel()->sstubeSize(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        }
        QCoreApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations() * 8);
}
}

BENCHMARK(BM_RefreshTickRescaleEachDraw);
BENCHMARK(BM_RefreshTickCached);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
