#include "app/mainwindow.h"
#include "ui/messagebox.h"
#include "ui/sysconfig.h"
#include "panel/panelfiles.h"
#include "panel/panelmodel.h"

#include <QCoreApplication>

void MainWindow::setLanguage(bool english) { isEnglish_ = english; }

void MainWindow::saveSysConfig()
{
    const QString file = sysconfig::joinPath(configDirectory, QStringLiteral("config.json"));
    lastSaveFailed_ = !sysconfig::writeLanguage(file, language_);
    if (lastSaveFailed_) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Brixo"), tr("无法保存语言设置：%1").arg(file),
                        QMessageBox::Ok);
        MessageBox::exec(box);
    }
}

void MainWindow::changeLanguage()
{
    if (MessageBox::question(
            QStringLiteral("这将会关闭程序然后重新打开，现在继续吗？"),
            QStringLiteral("That will close the program and reopen it. Are you sure you want to continue?")) ==
        QMessageBox::No)
        return;
    if (!files_->maySaveChanges())
        return;
    language_ = isEnglish_ ? QStringLiteral("chinese") : QStringLiteral("english");
    saveSysConfig();
    // A restart would come back in the old language; stay and keep the user's work.
    if (lastSaveFailed_)
        return;
    // The new process reopens the panel's file, as saved (a never saved panel has none).
    QStringList arguments;
    if (panel_->hasPanel() && !files_->isNewPanel() && !files_->filePath().isEmpty())
        arguments << files_->filePath();
    closeAsked_ = true;
    close();
    const QString program = QCoreApplication::applicationFilePath();
    if (startDetached)
        startDetached(program, arguments);
    QCoreApplication::quit();
}
