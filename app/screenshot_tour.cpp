// Takes the user guide's screenshots: opens the example panels in the states the guide
// describes and saves each window as a PNG. scripts/make_screenshots.sh runs it on a virtual
// X server; nothing here is part of the program itself.
#include "app/mainwindow.h"
#include "app/dialogconnnect.h"
#include "board/virtualcomponentdata.h"
#include "panel/pannelsetting.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDockWidget>
#include <QPushButton>
#include <QTest>
#include <QTranslator>

#include <cstdio>

namespace {

QString outDir, examplesDir;

void settle(int ms = 300)
{
    QTest::qWait(ms);
    QApplication::processEvents();
}

bool save(QWidget* w, const char* name)
{
    settle();
    const QString path = outDir + QLatin1Char('/') + QLatin1String(name);
    if (!w->grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

void click(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3)); }

void prepare(MainWindow& w, const char* example)
{
    w.resize(1280, 800);
    w.show();
    settle();
    w.openPanelAtStart(examplesDir + QLatin1Char('/') + QLatin1String(example));
}

}  // namespace

int main(int argc, char* argv[])
{
    Q_INIT_RESOURCE(brixo);
    Q_INIT_RESOURCE(translations);
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <examples-dir> <output-dir>\n", argv[0]);
        return 2;
    }
    examplesDir = QString::fromLocal8Bit(argv[1]);
    outDir = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(outDir);
    bool ok = true;

    {   // Run mode in Chinese: the adder simulated with no board, A = 4, B = 2, carry in.
        MainWindow w;
        w.setLanguage(false);
        prepare(w, "adder_a.jvp");
        w.simulationAction->trigger();
        for (int s : {6, 1, 8, 9, 11, 12})
            click(w.switchButtons[s]);
        ok &= save(&w, "run_simulation.png");
    }
    {   // Design mode with the toolbox, and the component table.
        MainWindow w;
        w.setLanguage(false);
        prepare(w, "bus_register_shifter.jvp");
        w.designAction->trigger();
        ok &= save(&w, "design_mode.png");
        w.showTable();
        ok &= save(&w, "component_table.png");
    }
    {   // The panel settings dialog of a new panel and the connect dialog.
        pannelSetting settings;
        settings.show();
        ok &= save(&settings, "panel_settings.png");
        DialogConnnect connect;
        connect.show();
        ok &= save(&connect, "connect_dialog.png");
    }
    {   // The English interface on the counter experiment.
        QTranslator english;
        if (english.load(QStringLiteral(":/trans/english")))
            app.installTranslator(&english);
        MainWindow w;
        w.setLanguage(true);
        prepare(w, "counter_shifter_bus.jvp");
        w.simulationAction->trigger();
        for (int s : {7, 9, 2, 0})
            click(w.switchButtons[s]);
        click(w.keyButtons[1]);
        ok &= save(&w, "english_counter.png");
        app.removeTranslator(&english);
    }
    return ok ? 0 : 1;
}
