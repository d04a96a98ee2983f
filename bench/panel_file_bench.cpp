// Open and save of a photo-backed panel against the bare picture decode/encode it contains.
#include "jvp_format.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QPainter>
#include <benchmark/benchmark.h>

using namespace panelfile;

namespace {

QImage photo()
{
    // A gradient with noise compresses like a photograph rather than a flat fill.
    QImage img(1920, 1080, QImage::Format_RGB32);
    quint32 seed = 12345;
    for (int y = 0; y < img.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int n = int(seed >> 28);
            line[x] = qRgb((x / 8 + n) & 255, (y / 5 + n) & 255, ((x + y) / 12) & 255);
        }
    }
    return img;
}

Document panel()
{
    Document d;
    d.background = photo();
    d.imageFormat = QStringLiteral("jpg");
    for (int i = 0; i < 150; ++i) {
        Entry e;
        const Kind kinds[] = {Kind::Switch, Kind::Key,      Kind::RedLed,   Kind::GreenLed,
                              Kind::Digit,  Kind::DataSlot, Kind::TextLabel};
        e.kind = kinds[i % 7];
        e.index = (i / 7) % std::max(1, kindCount(e.kind) ? kindCount(e.kind) : 100);
        e.pos = QPoint((i * 37) % 1900, (i * 53) % 1060);
        e.text = QStringLiteral("label %1").arg(i);
        d.entries.append(e);
    }
    return d;
}

void BM_SavePanel(benchmark::State &s)
{
    Document d = panel();
    for (auto _ : s)
        benchmark::DoNotOptimize(writeJvp(d));
}

void BM_EncodePicture(benchmark::State &s)
{
    const QImage img = photo();
    for (auto _ : s) {
        QByteArray out;
        QBuffer b(&out);
        b.open(QIODevice::WriteOnly);
        img.save(&b, "jpg", 80);
        benchmark::DoNotOptimize(out);
    }
}

void BM_OpenPanel(benchmark::State &s)
{
    Document d = panel();
    const QByteArray file = writeJvp(d);
    for (auto _ : s) {
        Document back;
        benchmark::DoNotOptimize(readJvp(file, back));
    }
}

void BM_DecodePicture(benchmark::State &s)
{
    QByteArray jpg;
    QBuffer b(&jpg);
    b.open(QIODevice::WriteOnly);
    photo().save(&b, "jpg", 80);
    for (auto _ : s) {
        QImage img;
        benchmark::DoNotOptimize(img.loadFromData(jpg));
    }
}

} // namespace

BENCHMARK(BM_SavePanel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodePicture)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenPanel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodePicture)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
