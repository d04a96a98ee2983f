// Takes the user guide's screenshots: opens the example panels in the states the guide
// describes and saves each window as a PNG. scripts/make_screenshots.sh runs it on a virtual
// X server; nothing here is part of the program itself.
#include "app/mainwindow.h"
#include "app/dialogconnnect.h"
#include "board/runmode.h"
#include "board/simulated_board.h"
#include "board/virtualcomponentdata.h"
#include "panel/panelmodel.h"
#include "panel/pannelsetting.h"
#include "ui/filedialog.h"
#include "ui/messagebox.h"

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

} // namespace

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

    { // Run mode in Chinese: the adder simulated with no board, A = 4, B = 2, carry in.
        MainWindow w;
        w.setLanguage(false);
        prepare(w, "adder_a.jvp");
        w.findChild<QAction*>(QStringLiteral("simulationAction"))->trigger();
        for (int s : {6, 1, 8, 9, 11, 12})
            click(w.panel()->switchButtons()[s]);
        ok &= save(&w, "run_simulation.png");
    }
    { // Design mode with the toolbox, and the component table.
        MainWindow w;
        w.setLanguage(false);
        prepare(w, "bus_register_shifter.jvp");
        w.findChild<QAction*>(QStringLiteral("designAction"))->trigger();
        ok &= save(&w, "design_mode.png");
        w.showTable();
        ok &= save(&w, "component_table.png");
    }
    { // The panel settings dialog of a new panel and the connect dialog.
        pannelSetting settings;
        settings.show();
        ok &= save(&settings, "panel_settings.png");
        DialogConnnect connect;
        connect.show();
        ok &= save(&connect, "connect_dialog.png");
    }
    { // The example adder design simulated by brixo-labd: 5 + 3 with carry in.
        MainWindow w;
        w.setLanguage(false);
        w.resize(1280, 800);
        w.show();
        settle();
        FileDialog::setNextAnswers({examplesDir + QStringLiteral("/verilog/adder.v")});
        MessageBox::setNextDialog([](QDialog&) { return int(QDialog::Accepted); });
        MessageBox::setNextAnswer(QMessageBox::Yes); // a panel from the design's ports
        w.findChild<QAction*>(QStringLiteral("simulateDesignAction"))->trigger();
        if (QTest::qWaitFor([&w] { return w.simulatedBoard()->isConnected(); }, 30000)) {
            for (int s : {0, 2, 4, 5, 8})
                click(w.panel()->switchButtons()[s]);
            // The design answers on the board's thread: the picture waits for its last answer.
            ok &= QTest::qWaitFor([&w] { return !w.runMode()->boardBusy(); }, 10000);
            ok &= save(&w, "simulate_design.png");
        } else {
            std::fprintf(stderr, "the adder design did not come up\n");
            ok = false;
        }
    }
    { // The English interface on the counter experiment.
        QTranslator english;
        if (english.load(QStringLiteral(":/trans/english")))
            app.installTranslator(&english);
        MainWindow w;
        w.setLanguage(true);
        prepare(w, "counter_shifter_bus.jvp");
        w.findChild<QAction*>(QStringLiteral("simulationAction"))->trigger();
        for (int s : {7, 9, 2, 0})
            click(w.panel()->switchButtons()[s]);
        click(w.panel()->keyButtons()[1]);
        ok &= save(&w, "english_counter.png");
        { // Latched and keyboard keys: K0 latched by a right-click, K1 held on the keyboard's
            // 1, so the register loads W = 5.
            MainWindow k;
            k.setLanguage(true);
            prepare(k, "bus_register_shifter.jvp");
            k.findChild<QAction*>(QStringLiteral("simulationAction"))->trigger();
            for (int s : {9, 11, 0})
                click(k.panel()->switchButtons()[s]);
            QTest::mouseClick(k.panel()->keyButtons()[0], Qt::RightButton, Qt::NoModifier, QPoint(3, 3));
            QTest::keyPress(k.panel()->panelView(), Qt::Key_1);
            ok &= save(&k, "run_keys.png");
            QTest::keyRelease(k.panel()->panelView(), Qt::Key_1);
        }
        app.removeTranslator(&english);
    }
    return ok ? 0 : 1;
}
