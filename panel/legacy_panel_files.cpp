// Panel files in the older formats: the .vpl record and the .vp2 lines, read and written.
#include "panel/panelfiles.h"

#include "panel/componenttables.h"
#include "panel/panel_placing.h"
#include "panel/panelmodel.h"
#include "panel/virtualpaneldata.h"
#include "panel/vp2_format.h"
#include "ui/messagebox.h"

#include <QCoreApplication>
#include <QFile>
#include <QGraphicsView>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTextCodec>

using brixo::ComponentKind;
using namespace panelplacing;

// ---------------------------------------------------------------------------------------
// Legacy formats

void PanelFiles::warnMissingBackground(const QString& pictureName, const QString& directory)
{
    QMessageBox box(QMessageBox::Warning, QString(),
                    QCoreApplication::translate("MainWindow", "找不到背景图，请将背景图%1存放在：%2路径下后重新打开")
                        .arg(pictureName, directory),
                    QMessageBox::Yes);
    MessageBox::exec(box);
}

void PanelFiles::readVPL(QString fileName, QString filePath, QString baseName)
{
    panel_->background().path = filePath + QLatin1Char('/') + baseName + QStringLiteral(".bmp");
    panel_->background().fileName = baseName + QStringLiteral(".bmp");
    panel_->background().format = QStringLiteral("bmp");
    panelData_->load(fileName);
    if (fileName.isEmpty())
        return;

    panel_->setTitle(QStringLiteral("Brixo"));
    panel_->backgroundScene().clear();
    const panelfile::LegacyBlock& block = panelData_->block;
    const bool hasBackground = block.hasBackground();
    const int w = hasBackground ? boundedSide(block.backgroundWidth()) : 800;
    const int h = hasBackground ? boundedSide(block.backgroundHeight()) : 500;
    if (hasBackground) {
        panel_->background().image.load(panel_->background().path);
        if (panel_->background().image.isNull())
            warnMissingBackground(baseName + QStringLiteral(".bmp"), filePath);
        else
            addScaledBackground(panel_->backgroundScene(), panel_->background().image, w, h);
    }
    panel_->backgroundView()->setScene(&panel_->backgroundScene());
    panel_->backgroundView()->setSceneRect(0, 0, w, h);
    panel_->backgroundView()->resize(w + 10, h + 10);
    panel_->backgroundView()->show();

    panel_->resetCountsToMaxima();
    panel_->createCtl();
    panel_->settingCtlNumber(panelfile::LegacyBlock::kSwitches, panelfile::LegacyBlock::kKeys,
                             panelfile::LegacyBlock::kRed, panelfile::LegacyBlock::kGreen,
                             panelfile::LegacyBlock::kDigits);
    for (int i = 0; i < panel_->count(ComponentKind::Key); ++i) {
        const panelfile::LegacyEntry e = block.key(i);
        place(at(panel_->keyButtons(), i), e.visible, e.x, e.y);
    }
    for (int i = 0; i < panel_->count(ComponentKind::Switch); ++i) {
        const panelfile::LegacyEntry e = block.switchAt(i);
        place(at(panel_->switchButtons(), i), e.visible, e.x, e.y);
    }
    for (int i = 0; i < panel_->count(ComponentKind::GreenLed); ++i) {
        const panelfile::LegacyEntry e = block.green(i);
        place(at(panel_->greenLedButtons(), i), e.visible, e.x, e.y);
    }
    for (int i = 0; i < panel_->count(ComponentKind::RedLed); ++i) {
        const panelfile::LegacyEntry e = block.red(i);
        placeSized(at(panel_->redLedButtons(), i), e.visible, e.x, e.y, panel_->ledSize());
    }
    for (int i = 0; i < panel_->count(ComponentKind::Digit); ++i) {
        const panelfile::LegacyEntry e = block.digit(i);
        placeSized(at(panel_->digitButtons(), i), e.visible, e.x, e.y, panel_->sstubeSize() + QSize(2, 2));
    }
    panel_->resetCountsToMaxima();
}

void PanelFiles::readVP2(QString fileName, QString filePath)
{
    QFile file(fileName);
    if (!fileName.isEmpty() && file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        const QVector<QStringList> lines = panelfile::splitVp2Lines(file.readAll());
        file.close();
        tables_->lineStore()->removeRows(0, tables_->lineStore()->rowCount());
        for (const QStringList& cells : lines) {
            QList<QStandardItem*> row;
            for (const QString& c : cells)
                row.append(new QStandardItem(c));
            tables_->lineStore()->appendRow(row);
        }
    } else {
        // A file that cannot be read builds an empty panel, not the last .vp2 file's lines again.
        tables_->lineStore()->removeRows(0, tables_->lineStore()->rowCount());
    }

    panel_->backgroundScene().clear();
    // The line store is the model the panel is built from.
    QVector<QStringList> rows;
    rows.reserve(tables_->lineStore()->rowCount());
    for (int r = 0; r < tables_->lineStore()->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < 8; ++c) {
            const QStandardItem* item = tables_->lineStore()->item(r, c);
            cells.append(item ? item->text() : QString());
        }
        rows.append(cells);
    }
    const panelfile::Vp2Panel p = panelfile::decodeVp2(rows);

    panel_->setPanelName(p.name);
    panel_->setExperiment(p.description);
    panel_->resetCountsToMaxima();

    const int w = boundedSide(p.backgroundSize.width()), h = boundedSide(p.backgroundSize.height());
    if (!p.backgroundFileName.isEmpty()) {
        panel_->background().fileName = p.backgroundFileName;
        panel_->background().path = filePath + QLatin1Char('/') + panel_->background().fileName;
        const int dot = panel_->background().fileName.lastIndexOf(QLatin1Char('.'));
        panel_->background().format =
            dot < 0 ? panel_->background().fileName : panel_->background().fileName.mid(dot + 1);
        panel_->background().image.load(panel_->background().path);
        if (panel_->background().image.isNull())
            warnMissingBackground(panel_->background().fileName, filePath);
        else
            addScaledBackground(panel_->backgroundScene(), panel_->background().image, w, h);
    }
    panel_->backgroundView()->setSceneRect(0, 0, w, h);
    panel_->backgroundView()->setScene(&panel_->backgroundScene());
    panel_->backgroundView()->resize(w + 10, h + 10);
    panel_->backgroundView()->show();

    panel_->setSwitchSize(boundedSize(p.switchSize));
    panel_->setButtonSize(boundedSize(p.buttonSize));
    panel_->setLedSize(boundedSize(p.ledSize));
    panel_->setSstubeSize(boundedSize(p.sstubeSize));
    panel_->createCtl();

    for (int i = 0; i < p.keys.size(); ++i)
        place(at(panel_->keyButtons(), i), p.keys[i].visible, p.keys[i].x, p.keys[i].y);
    for (int i = 0; i < p.switches.size(); ++i) {
        const panelfile::Vp2Component& c = p.switches[i];
        if (QPushButton* sw = at(panel_->switchButtons(), i)) {
            place(sw, c.visible, c.x, c.y);
            panel_->setSwitchUpright(sw, !c.lying);
        }
    }
    for (int i = 0; i < p.greenLeds.size(); ++i)
        place(at(panel_->greenLedButtons(), i), p.greenLeds[i].visible, p.greenLeds[i].x, p.greenLeds[i].y);
    for (int i = 0; i < p.redLeds.size(); ++i)
        placeSized(at(panel_->redLedButtons(), i), p.redLeds[i].visible, p.redLeds[i].x, p.redLeds[i].y,
                   panel_->ledSize());
    for (int i = 0; i < p.digits.size(); ++i)
        placeSized(at(panel_->digitButtons(), i), p.digits[i].visible, p.digits[i].x, p.digits[i].y,
                   panel_->sstubeSize() + QSize(2, 2));
}

void PanelFiles::savePanelInfo(QString fiName)
{
    lastWriteOk_ = false;
    if (!panel_->hasPanel())
        return;
    QMultiMap<QPushButton*, QString> mapI;
    for (const brixo::KindInfo& k : brixo::kComponentKinds)
        for (int i = 0; i < panel_->buttons(k.kind).size(); ++i)
            tables_->createContainer(QLatin1String(k.vp2Name), mapI, panel_->buttons(k.kind).at(i), i);

    panelfile::Vp2Panel header;
    header.name = panel_->name();
    header.backgroundFileName = panel_->background().fileName;
    header.backgroundSize = panel_->background().image.isNull() ? QSize(0, 0) : panel_->background().image.size();
    // A named picture that was missing when the panel was read still has the panel's area:
    // 0 x 0 would name the picture and draw it at no size once it is put back.
    if (panel_->background().image.isNull() && !panel_->background().fileName.isEmpty())
        header.backgroundSize = panel_->backgroundView()->sceneRect().size().toSize();
    header.description = panel_->experiment();
    header.switches.resize(panel_->switchButtons().size());
    header.keys.resize(panel_->keyButtons().size());
    header.redLeds.resize(panel_->redLedButtons().size());
    header.greenLeds.resize(panel_->greenLedButtons().size());
    header.digits.resize(panel_->digitButtons().size());
    header.switchSize = panel_->switchSize();
    header.buttonSize = panel_->buttonSize();
    header.ledSize = panel_->ledSize();
    header.sstubeSize = panel_->sstubeSize();

    // The whole text is built first and replaces the file only once complete.
    QByteArray bytes;
    {
        QTextStream out(&bytes, QIODevice::WriteOnly);
        out.setCodec(QTextCodec::codecForLocale());
        out << panelfile::vp2HeaderLines(header);
        for (const brixo::KindInfo& k : brixo::kComponentKinds)
            for (QPushButton* button : panel_->buttons(k.kind))
                saveing(out, button, mapI);
    }
    lastWriteOk_ = writePanelFile(fiName, bytes);
}

void PanelFiles::saveing(QTextStream& out, QPushButton* btn, QMultiMap<QPushButton*, QString>& mapI)
{
    for (const QString& value : mapI.values(btn))
        out << value << ',';
    out << '\n';
}
