#include "panel/panelfiles.h"

#include "panel/brixobutton.h"
#include "panel/brixolineedit.h"
#include "panel/componenttables.h"
#include "panel/file_write.h"
#include "panel/jvp_format.h"
#include "panel/panel_placing.h"
#include "panel/panelmodel.h"
#include "panel/virtualpaneldata.h"
#include "ui/filedialog.h"
#include "ui/messagebox.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGraphicsView>
#include <QPushButton>

using namespace panelplacing;

static_assert(static_cast<int>(panelfile::Kind::Digit) == static_cast<int>(brixo::ComponentKind::Digit),
              "the writer casts a component kind to the file's kind");

PanelFiles::PanelFiles(PanelModel* panel, ComponentTables* tables, QWidget* window)
    : QObject(window), panel_(panel), tables_(tables), window_(window), panelData_(new VirtualPanelData(this))
{
    setObjectName(QStringLiteral("panelFiles"));
}

void PanelFiles::setResultReporter(std::function<void(int code)> report)
{
    panelData_->reportFailure = std::move(report);
}

// ---------------------------------------------------------------------------------------
// .jvp

void PanelFiles::readVPjson(QString fileName)
{
    panel_->resetCountsToMaxima();
    panelfile::Document doc = documentWithSizesOf(*panel_);
    panelfile::Geometry g;
    if (!readJvpFile(fileName, doc, g, nullptr)) {
        panel_->createCtl();
        return;
    }
    applyJvp(doc, g);
}

void PanelFiles::applyJvp(panelfile::Document& doc, const panelfile::Geometry& g)
{
    // One build with the file's sizes: a first build at the old sizes would only be thrown away.
    panel_->resetCountsToMaxima();
    panel_->setPanelName(doc.name);
    panel_->setExperiment(doc.description);
    panel_->setSwitchSize(boundedSize(doc.switchSize));
    panel_->setButtonSize(boundedSize(doc.buttonSize));
    panel_->setLedSize(boundedSize(doc.ledSize));
    panel_->setSstubeSize(boundedSize(doc.sstubeSize));
    panel_->createCtl();

    panel_->background().format = doc.imageFormat;
    if (!doc.background.isNull())
        panel_->background().image = QPixmap::fromImage(std::move(doc.background));
    doc.background = QImage();

    const int w = boundedSide(g.panelSize.width()), h = boundedSide(g.panelSize.height());
    const int dw = g.extension.width(), dh = g.extension.height();
    panel_->backgroundScene().clear();
    addScaledBackground(panel_->backgroundScene(), panel_->background().image, w - dw, h - dh);
    panel_->backgroundView()->setScene(&panel_->backgroundScene());
    panel_->backgroundView()->setSceneRect(-dw, -dh, w, h);
    panel_->backgroundView()->resize(w + 10, h + 10);
    panel_->backgroundView()->show();

    for (const panelfile::Entry& e : doc.entries) {
        switch (e.kind) {
        case panelfile::Kind::Switch:
            if (QPushButton* sw = at(panel_->switchButtons(), e.index)) {
                place(sw, true, e.pos.x(), e.pos.y());
                panel_->setSwitchUpright(sw, e.upright);
            }
            break;
        case panelfile::Kind::Key: place(at(panel_->keyButtons(), e.index), true, e.pos.x(), e.pos.y()); break;
        case panelfile::Kind::RedLed: place(at(panel_->redLedButtons(), e.index), true, e.pos.x(), e.pos.y()); break;
        case panelfile::Kind::GreenLed:
            place(at(panel_->greenLedButtons(), e.index), true, e.pos.x(), e.pos.y());
            break;
        case panelfile::Kind::Digit: place(at(panel_->digitButtons(), e.index), true, e.pos.x(), e.pos.y()); break;
        case panelfile::Kind::TextLabel: {
            auto* label = new BrixoLineedit(panel_->panelView());
            label->show();
            label->key = panel_->takeTextLabelKey();
            label->index = e.index;
            label->move(e.pos);
            label->setLabelText(e.text);
            panel_->addTextLabel(label);
            break;
        }
        case panelfile::Kind::DataSlot: {
            auto* slot = new BrixoButton(panel_->panelView());
            slot->show();
            slot->bitWidth = e.bitWidth;
            slot->isVertical = e.isVertical;
            slot->index = e.index;
            slot->key = panel_->takeDataSlotKey();
            slot->move(e.pos);
            slot->setDataText(e.text, false);
            panel_->addDataSlot(slot);
            break;
        }
        }
    }
    panel_->announceDataSlots();
    panel_->setKeyBindings(doc.keyBindings);
}

void PanelFiles::saveByjson(QString fiName)
{
    lastWriteOk_ = false;
    if (!panel_->hasPanel() && panel_->dataSlots().isEmpty() && panel_->textLabels().isEmpty())
        return;
    tables_->updateToTable();

    panelfile::Document doc = documentWithSizesOf(*panel_);
    doc.name = panel_->name();
    doc.description = panel_->experiment();
    if (panel_->background().image.isNull())
        qDebug() << "kong"; // no picture: the panel size comes from the components
    else
        doc.background = panel_->background().image.toImage();
    // The reader shifts the picture right and down by the panel's extension (scene rectangle
    // from -dw, -dh); the designer's size slider puts it back at the origin.
    const QRectF shown = panel_->backgroundView()->sceneRect();
    doc.backgroundOrigin = QPoint(std::max(0, int(-shown.x())), std::max(0, int(-shown.y())));

    // The file's component kinds start with the panel's five, in the same order.
    panel_->forEachPlaced([&](const brixo::KindInfo& k, int i, const QPushButton* b) {
        panelfile::Entry e;
        e.kind = static_cast<panelfile::Kind>(k.kind);
        e.index = i;
        e.pos = b->pos();
        e.upright = k.kind != brixo::ComponentKind::Switch || panel_->isSwitchUpright(b);
        doc.entries.append(e);
    });
    for (const BrixoButton* slot : qAsConst(panel_->dataSlots())) {
        panelfile::Entry e;
        e.kind = panelfile::Kind::DataSlot;
        e.key = slot->key;
        e.index = slot->index;
        e.pos = slot->pos();
        e.bitWidth = slot->bitWidth;
        e.isVertical = slot->isVertical;
        e.text = slot->text();
        doc.entries.append(e);
    }
    for (const BrixoLineedit* label : qAsConst(panel_->textLabels())) {
        panelfile::Entry e;
        e.kind = panelfile::Kind::TextLabel;
        e.key = label->key;
        e.index = label->index;
        e.pos = label->pos();
        e.text = label->text();
        doc.entries.append(e);
    }

    doc.keyBindings = panel_->keyBindings();
    const QByteArray bytes = panelfile::writeJvp(doc);
    panel_->background().format = doc.imageFormat; // "bmp" pictures are kept as "jpg" from now on
    lastWriteOk_ = writePanelFile(fiName, bytes);
}

bool PanelFiles::writePanelFile(const QString& fiName, const QByteArray& bytes)
{
    // An empty name is a cancelled dialog: nothing to write, nothing to say.
    if (fiName.isEmpty())
        return false;
    if (panelfile::writeFileAtomically(fiName, bytes))
        return true;
    QMessageBox box(
        QMessageBox::Warning, QCoreApplication::translate("MainWindow", "警告"),
        QCoreApplication::translate("MainWindow", "无法保存虚拟面板文件：%1").arg(QDir::toNativeSeparators(fiName)),
        QMessageBox::Ok, window_);
    MessageBox::exec(box);
    return false;
}

// ---------------------------------------------------------------------------------------
// Save and Save as

QString PanelFiles::defaultSaveName()
{
    if (fileKind_ == QLatin1String("vp2"))
        return savePath_.replace(QLatin1String(".vp2"), QLatin1String(".jvp"));
    if (fileKind_ == QLatin1String("vpl"))
        return savePath_.replace(QLatin1String(".vpl"), QLatin1String(".jvp"));
    if (fileKind_ == QLatin1String("jvp"))
        return savePath_;
    return QString();
}

bool PanelFiles::warnNothingToSave()
{
    if (panel_->hasPanel())
        return false;
    QMessageBox box(QMessageBox::Warning, QCoreApplication::translate("MainWindow", "警告"),
                    QCoreApplication::translate("MainWindow", "没有可以保存的虚拟面板"), QMessageBox::Ok, window_);
    MessageBox::exec(box);
    return true;
}

void PanelFiles::saveorSaveAs()
{
    lastWriteOk_ = false;
    if (warnNothingToSave())
        return;
    if (!isNewPanel_ && fileKind_ == QLatin1String("jvp")) {
        saveByjson(filePath_);
        if (lastWriteOk_)
            panel_->setModified(false);
        return;
    }
    const QString answer = FileDialog::getSaveFileName(
        window_, QCoreApplication::translate("MainWindow", "保存虚拟面板文件"), defaultSaveName(),
        QCoreApplication::translate("MainWindow", "虚拟面板文件 (*.jvp)"));
    saveByjson(answer);
    adoptSavedFile(answer, QStringLiteral("jvp"));
}

void PanelFiles::saveAs()
{
    lastWriteOk_ = false;
    if (warnNothingToSave())
        return;
    const QString answer = FileDialog::getSaveFileName(
        window_, QCoreApplication::translate("MainWindow", "保存虚拟面板文件"), defaultSaveName(),
        QCoreApplication::translate("MainWindow", "虚拟面板文件 (*.jvp);;早期虚拟面板文件 (*.vp2)"));
    if (QFileInfo(answer).suffix() == QLatin1String("jvp")) {
        saveByjson(answer);
        adoptSavedFile(answer, QStringLiteral("jvp"));
    } else {
        savePanelInfo(answer);
        adoptSavedFile(answer, QStringLiteral("vp2"));
    }
}

void PanelFiles::adoptSavedFile(const QString& fiName, const QString& kind)
{
    if (!lastWriteOk_)
        return;
    // The written file is the panel's file from now on: Save writes it in place.
    filePath_ = fiName;
    savePath_ = fiName;
    fileKind_ = kind;
    isNewPanel_ = false;
    lastDirectory_ = QFileInfo(fiName).absolutePath();
    // The text format has no data slots or labels: a panel that has some is still unsaved.
    if (kind == QLatin1String("jvp") || (panel_->dataSlots().isEmpty() && panel_->textLabels().isEmpty()))
        panel_->setModified(false);
}

void PanelFiles::beginNewPanel()
{
    isNewPanel_ = true;
    fileKind_ = QStringLiteral("jvp");
}

void PanelFiles::setOrigin(const QString& kind, const QString& filePath, const QString& savePath, bool isNew)
{
    fileKind_ = kind;
    filePath_ = filePath;
    savePath_ = savePath;
    isNewPanel_ = isNew;
}
