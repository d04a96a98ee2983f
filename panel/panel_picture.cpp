// The panel as a picture for lab reports: saved as PNG or put on the clipboard.
#include "brixobutton.h"
#include "brixolineedit.h"
#include "panelfiles.h"
#include "panelmodel.h"
#include "ui/filedialog.h"
#include "ui/messagebox.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPushButton>

QImage PanelModel::panelPicture() const
{
    if (!hasPanel())
        return QImage();
    // From the panel origin to the far edge of whatever is shown on it.
    QRect area(0, 0, 1, 1);
    const auto cover = [&area](const QWidget* w) {
        if (w && !w->isHidden())
            area |= QRect(QPoint(0, 0), w->geometry().bottomRight());
    };
    if (!background_.image.isNull())
        cover(backgroundView_);
    for (const brixo::KindInfo& k : brixo::kComponentKinds)
        for (const QPushButton* b : buttons(k.kind))
            cover(b);
    for (const BrixoButton* slot : dataSlots_)
        cover(slot);
    for (const BrixoLineedit* label : textLabels_)
        cover(label);
    QImage picture(area.size(), QImage::Format_ARGB32_Premultiplied);
    picture.fill(panelView_->palette().color(panelView_->backgroundRole()));
    // QWidget::render: the view's own render() draws only its scene.
    panelView_->QWidget::render(&picture, QPoint(), QRegion(area),
                                QWidget::DrawWindowBackground | QWidget::DrawChildren);
    return picture;
}

namespace {


bool warnNoPanel(QWidget* parent, bool hasPanel)
{
    if (hasPanel)
        return false;
    QMessageBox box(QMessageBox::Warning, QCoreApplication::translate("MainWindow", "警告"),
                    QCoreApplication::translate("MainWindow", "没有打开虚拟面板"), QMessageBox::Ok, parent);
    MessageBox::exec(box);
    return true;
}

} // namespace

void PanelFiles::exportPicture()
{
    if (warnNoPanel(window_, panel_->hasPanel()))
        return;
    const QString suggested =
        filePath_.isEmpty() ? QString() : QFileInfo(filePath_).completeBaseName() + QStringLiteral(".png");
    QString name =
        FileDialog::getSaveFileName(window_, QCoreApplication::translate("MainWindow", "导出面板图片"), suggested,
                                    QCoreApplication::translate("MainWindow", "PNG 图片 (*.png)"));
    if (name.isEmpty())
        return;
    if (QFileInfo(name).suffix().isEmpty())
        name += QStringLiteral(".png");
    if (!panel_->panelPicture().save(name, "PNG")) {
        QMessageBox box(
            QMessageBox::Warning, QCoreApplication::translate("MainWindow", "警告"),
            QCoreApplication::translate("MainWindow", "无法保存面板图片：%1").arg(QDir::toNativeSeparators(name)),
            QMessageBox::Ok, window_);
        MessageBox::exec(box);
    }
}

void PanelFiles::copyPicture()
{
    if (warnNoPanel(window_, panel_->hasPanel()))
        return;
    QGuiApplication::clipboard()->setImage(panel_->panelPicture());
}
