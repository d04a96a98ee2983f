// The panel as a picture for lab reports: saved as PNG or put on the clipboard.
#include "app/mainwindow.h"

#include "ui/filedialog.h"
#include "ui/messagebox.h"
#include "brixobutton.h"
#include "brixolineedit.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPushButton>

QImage MainWindow::panelPicture() const
{
    if (!hasPanel())
        return QImage();
    // From the panel origin to the far edge of whatever is shown on it.
    QRect area(0, 0, 1, 1);
    const auto cover = [&area](const QWidget* w) {
        if (w && !w->isHidden())
            area |= QRect(QPoint(0, 0), w->geometry().bottomRight());
    };
    if (!backgroundImage.isNull())
        cover(backgroundView);
    for (const QVector<QPushButton*>* kind :
         {&switchButtons, &keyButtons, &redLedButtons, &greenLedButtons, &digitButtons})
        for (const QPushButton* b : *kind)
            cover(b);
    for (const BrixoButton* slot : dataSlots)
        cover(slot);
    for (const BrixoLineedit* label : textLabels)
        cover(label);
    // render() draws the children the view holds, scrolled out of sight or not.
    QImage picture(area.size(), QImage::Format_ARGB32_Premultiplied);
    picture.fill(panelView->palette().color(panelView->backgroundRole()));
    // QWidget::render: the view's own render() draws only its scene.
    panelView->QWidget::render(&picture, QPoint(), QRegion(area),
                               QWidget::DrawWindowBackground | QWidget::DrawChildren);
    return picture;
}

namespace {

bool warnNoPanel(QWidget* parent, bool hasPanel)
{
    if (hasPanel)
        return false;
    QMessageBox box(QMessageBox::Warning, MainWindow::tr("警告"), MainWindow::tr("没有打开虚拟面板"), QMessageBox::Ok,
                    parent);
    MessageBox::exec(box);
    return true;
}

} // namespace

void MainWindow::exportPanelPicture()
{
    if (warnNoPanel(this, hasPanel()))
        return;
    const QString suggested =
        filePath.isEmpty() ? QString() : QFileInfo(filePath).completeBaseName() + QStringLiteral(".png");
    QString name = FileDialog::getSaveFileName(this, tr("导出面板图片"), suggested, tr("PNG 图片 (*.png)"));
    if (name.isEmpty())
        return;
    if (QFileInfo(name).suffix().isEmpty())
        name += QStringLiteral(".png");
    if (!panelPicture().save(name, "PNG")) {
        QMessageBox box(QMessageBox::Warning, tr("警告"),
                        tr("无法保存面板图片：%1").arg(QDir::toNativeSeparators(name)), QMessageBox::Ok, this);
        MessageBox::exec(box);
    }
}

void MainWindow::copyPanelPicture()
{
    if (warnNoPanel(this, hasPanel()))
        return;
    QGuiApplication::clipboard()->setImage(panelPicture());
}
