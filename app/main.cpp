#include "app/mainwindow.h"
#include "app/sysconfig.h"

#include <QApplication>
#include <QStandardPaths>
#include <QTranslator>

#include <vestrix.h>

int main(int argc, char* argv[])
{
    Q_INIT_RESOURCE(brixo);
    Q_INIT_RESOURCE(translations);
    QApplication app(argc, argv);
    QTranslator translator;
    bool isEnglish = false;
    if (translator.load(QStringLiteral(":/trans/english"))) {
        app.installTranslator(&translator);
        SetDllLanguage(1);
        isEnglish = true;
    }
    const QString file = sysconfig::languageFile(QCoreApplication::applicationDirPath(),
                                                 QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
    if (sysconfig::selectsChinese(file)) {
        app.removeTranslator(&translator);
        SetDllLanguage(0);
        isEnglish = false;
    }
    MainWindow window;
    window.setLanguage(isEnglish);
    window.show();
    // A file manager passes the double-clicked panel as the only argument.
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 2)
        window.openPanelAtStart(args.at(1));
    return app.exec();
}
