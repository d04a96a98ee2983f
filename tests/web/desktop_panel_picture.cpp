// The desktop program's panel for a .jvp in run mode, for the browser test to compare with:
// writes the panel picture (pixel (x, y) is panel position (x, y)) as PNG and prints one JSON
// line per component placed on it: {"kind", "index", "x", "y", "w", "h"}, with the web
// client's kinds and numbering. Usage: desktop_panel_picture PANEL.jvp OUT.png
#include "app/mainwindow.h"
#include "panel/component_kinds.h"
#include "panel/panelmodel.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>

#include <cstdio>

int main(int argc, char* argv[])
{
    Q_INIT_RESOURCE(brixo);
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s PANEL.jvp OUT.png\n", argv[0]);
        return 2;
    }
    MainWindow w;
    w.resize(1600, 1000);
    w.show();
    w.openPanelAtStart(QString::fromLocal8Bit(argv[1]));
    QTest::qWait(300);
    if (!w.panel()->hasPanel() || !w.panel()->panelPicture().save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "no panel picture from %s\n", argv[1]);
        return 1;
    }
    w.panel()->forEachPlaced([](const brixo::KindInfo& k, int i, const QPushButton* b) {
        const char* kind = k.kind == brixo::ComponentKind::Switch  ? "switch"
                           : k.kind == brixo::ComponentKind::Key   ? "key"
                           : k.kind == brixo::ComponentKind::Digit ? "digit"
                                                                   : "led";
        const QRect g = b->geometry();
        std::printf("{\"kind\": \"%s\", \"index\": %d, \"x\": %d, \"y\": %d, \"w\": %d, \"h\": %d}\n", kind,
                    brixo::boardNumber(k.kind, i), g.x(), g.y(), g.width(), g.height());
    });
    return 0;
}
