#include "app/mainwindow.h"
#include "ui/messagebox.h"
#include "app/sysconfig.h"

#include <QCoreApplication>

void MainWindow::setLanguage(bool english)
{
    isEnglish = english;
}

void MainWindow::saveSysConfig()
{
    const QString file = sysconfig::joinPath(configDirectory, QStringLiteral("config.json"));
    lastSaveFailed = !sysconfig::writeLanguage(file, language);
    if (lastSaveFailed) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Brixo"), tr("无法保存语言设置：%1").arg(file),
                        QMessageBox::Ok);
        MessageBox::exec(box);
    }
}

void MainWindow::changeLanguage()
{
    if (MessageBox::question(QStringLiteral("这将会关闭程序然后重新打开，现在继续吗？"),
                             QStringLiteral("That will close the program and reopen it. Are you sure you want to continue?"))
        == QMessageBox::No)
        return;
    if (!maySaveChanges())
        return;
    language = isEnglish ? QStringLiteral("chinese") : QStringLiteral("english");
    saveSysConfig();
    // A restart would come back in the old language; stay and keep the user's work.
    if (lastSaveFailed)
        return;
    // The new process reopens the panel's file, as saved (a never saved panel has none).
    QStringList arguments;
    if (hasPanel() && !isNewPanel && !filePath.isEmpty())
        arguments << filePath;
    closeAsked = true;
    close();
    const QString program = QCoreApplication::applicationFilePath();
    if (startDetached)
        startDetached(program, arguments);
    QCoreApplication::quit();
}
