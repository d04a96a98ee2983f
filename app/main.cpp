#include "app/mainwindow.h"
#include "app/startup_language.h"
#include "ui/sysconfig.h"

#include <QApplication>
#include <QStandardPaths>
#include <QTimer>

#include <vestrix.h>

int main(int argc, char* argv[])
{
    Q_INIT_RESOURCE(brixo);
    Q_INIT_RESOURCE(translations);
    QApplication app(argc, argv);
    startup::Catalogues catalogues;
    const QString file = sysconfig::languageFile(QCoreApplication::applicationDirPath(),
                                                 QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
    const bool isEnglish = startup::installLanguage(catalogues, file, SetDllLanguage);
    MainWindow window;
    window.setLanguage(isEnglish);
    window.show();
    // A file manager passes the double-clicked panel as the only argument.
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 2)
        window.openPanelAtStart(args.at(1));
    // For start-up timing: leave after the first turn of the event loop, once the window is painted.
    if (qEnvironmentVariableIsSet("BRIXO_QUIT_AFTER_START"))
        QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return app.exec();
}
