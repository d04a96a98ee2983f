// Open, and the question that guards unsaved changes before a panel is replaced.
#include "panel/panelfiles.h"

#include "panel/componenttables.h"
#include "panel/jvp_format.h"
#include "panel/panel_placing.h"
#include "panel/panelmodel.h"
#include "ui/filedialog.h"
#include "ui/messagebox.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>

using namespace panelplacing;

bool PanelFiles::onOpenPanel()
{
    if (!maySaveChanges())
        return false;
    openedFileName_ = FileDialog::getOpenFileName(
        window_, QCoreApplication::translate("MainWindow", "打开虚拟面板文件"), lastDirectory_,
        QCoreApplication::translate("MainWindow", "虚拟面板文件 (*.jvp);;早期虚拟面板文件 (*.vpl;*.vp2)"));
    if (openedFileName_.isEmpty())
        return false;
    return loadPanelFile(openedFileName_);
}

bool PanelFiles::readJvpFile(const QString& fileName, panelfile::Document& doc, panelfile::Geometry& g,
                             QString* problem)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        qDebug() << "could't open projects json";
        if (problem)
            *problem = QCoreApplication::translate("MainWindow", "文件无法打开");
        return false;
    }
    const QByteArray bytes = file.readAll();
    file.close();
    panelfile::ReadProblem why = panelfile::ReadProblem::None;
    if (panelfile::readJvp(bytes, doc, &g, &why))
        return true;
    if (problem) {
        switch (why) {
        case panelfile::ReadProblem::NotObject:
            *problem = QCoreApplication::translate("MainWindow", "内容不是面板数据（顶层不是 JSON 对象）");
            break;
        case panelfile::ReadProblem::BadPicture:
            *problem = QCoreApplication::translate("MainWindow", "背景图片无法解码");
            break;
        default:
            *problem = QCoreApplication::translate("MainWindow", "不是完整的 JSON 文本，文件可能已损坏或不完整");
            break;
        }
    }
    return false;
}

bool PanelFiles::refuseUnreadable(const QString& fileName, const QString& problem)
{
    QMessageBox box(QMessageBox::Warning, QCoreApplication::translate("MainWindow", "警告"),
                    QCoreApplication::translate("MainWindow", "无法打开虚拟面板文件 %1：%2")
                        .arg(QDir::toNativeSeparators(fileName), problem),
                    QMessageBox::Ok, window_);
    box.setInformativeText(QCoreApplication::translate("MainWindow", "当前的虚拟面板保持不变。"));
    MessageBox::exec(box);
    return false;
}

bool PanelFiles::loadPanelFile(const QString& fileName)
{
    openedFileName_ = fileName;
    const QFileInfo info(fileName);
    const QString suffix = info.suffix();
    // Everything is checked before the open panel is cleared: a file that cannot be read
    // leaves the panel as it was, so the next Save cannot overwrite it with an empty panel.
    const bool jvp = suffix == QLatin1String("jvp");
    if (!jvp && suffix != QLatin1String("vp2") && suffix != QLatin1String("vpl"))
        return refuseUnreadable(
            fileName, QCoreApplication::translate("MainWindow", "这不是虚拟面板文件（应为 .jvp、.vpl 或 .vp2 文件）"));
    panelfile::Document doc = documentWithSizesOf(*panel_);
    panelfile::Geometry g;
    QString problem;
    if (jvp && !readJvpFile(fileName, doc, g, &problem))
        return refuseUnreadable(fileName, problem);
    if (!jvp && !QFile(fileName).open(QIODevice::ReadOnly))
        return refuseUnreadable(fileName, QCoreApplication::translate("MainWindow", "文件无法打开"));

    if (panel_->hasPanel() || !panel_->dataSlots().isEmpty() || !panel_->textLabels().isEmpty())
        panel_->deleteAllFace();

    filePath_ = openedFileName_;
    lastDirectory_ = info.absolutePath();
    savePath_ = filePath_;
    panel_->background().image = QPixmap();
    // The picture file named by the last legacy panel is not this panel's; the legacy readers
    // name their own.
    panel_->background().fileName.clear();
    panel_->background().path.clear();

    if (suffix == QLatin1String("vp2")) {
        readVP2(filePath_, info.absolutePath());
        fileKind_ = QStringLiteral("vp2");
    } else if (suffix == QLatin1String("vpl")) {
        panel_->setName(QString());
        panel_->setExperiment(QString());
        readVPL(filePath_, info.absolutePath(), info.baseName());
        fileKind_ = QStringLiteral("vpl");
    } else {
        applyJvp(doc, g);
        fileKind_ = QStringLiteral("jvp");
    }
    tables_->updateToTable();
    // Run mode reads the data slots the board data lists: those of this panel, not the last one's.
    panel_->announceDataSlots();
    // The description names the boardless experiment this panel simulates.
    panel_->announceExperiment();
    isNewPanel_ = false;
    panel_->setModified(false);
    return true;
}

bool PanelFiles::maySaveChanges()
{
    if (!panel_->isModified())
        return true;
    const QString name = !isNewPanel_ && !filePath_.isEmpty() ? QFileInfo(filePath_).fileName()
                         : !panel_->name().isEmpty()          ? panel_->name()
                                                     : QCoreApplication::translate("MainWindow", "未命名面板");
    QMessageBox box(QMessageBox::Question, QString(),
                    QCoreApplication::translate("MainWindow", "是否保存对 %1 的更改？").arg(name),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, window_);
    box.button(QMessageBox::Save)->setText(QCoreApplication::translate("MainWindow", "保存"));
    box.button(QMessageBox::Discard)->setText(QCoreApplication::translate("MainWindow", "不保存"));
    box.button(QMessageBox::Cancel)->setText(QCoreApplication::translate("MainWindow", "取消"));
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (MessageBox::exec(box)) {
    case QMessageBox::Save: saveorSaveAs(); return lastWriteOk_;
    case QMessageBox::Discard: return true;
    default: return false;
    }
}
