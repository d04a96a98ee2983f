// Panel files on the main window: Open, Save and Save as, and the slots that move a panel
// between the widgets and the widget-free .jvp, .vpl and .vp2 cores.
#include "ui/filedialog.h"
#include "app/mainwindow.h"
#include "ui/messagebox.h"
#include "panel/brixobutton.h"
#include "panel/brixolineedit.h"
#include "panel/file_write.h"
#include "panel/jvp_format.h"
#include "panel/virtualpaneldata.h"
#include "panel/vp2_format.h"

#include <QAction>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGraphicsPixmapItem>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTextCodec>

#include <algorithm>

namespace {

// Component sizes come from files; a digit's pictures are scaled to its size, so an absurd
// size would allocate without bound. Real boards use a few dozen pixels.
constexpr int kMaxComponentSide = 1024;
QSize boundedSize(QSize s)
{
    return QSize(std::clamp(s.width(), 0, kMaxComponentSide), std::clamp(s.height(), 0, kMaxComponentSide));
}

// Keeps W + 10 and the scene rectangle within int for sizes read from a file.
int boundedSide(int v) { return std::clamp(v, -1000000, 1000000); }

// Shows the background at (w, h) with fast scaling. Beyond a few tens of millions of pixels
// the scaled copy is not made: the item scales the unscaled picture instead, which looks the
// same and costs nothing, so a huge size in a file cannot exhaust memory.
void addScaledBackground(QGraphicsScene& scene, const QPixmap& picture, int w, int h)
{
    if (picture.isNull() || w <= 0 || h <= 0)
        return;
    if (qint64(w) * h <= 32LL * 1024 * 1024) {
        scene.addPixmap(picture.scaled(w, h, Qt::IgnoreAspectRatio, Qt::FastTransformation));
        return;
    }
    QGraphicsPixmapItem* item = scene.addPixmap(picture);
    item->setTransformationMode(Qt::FastTransformation);
    item->setTransform(QTransform::fromScale(double(w) / picture.width(), double(h) / picture.height()));
}

QPushButton* at(const QVector<QPushButton*>& buttons, int i)
{
    return i >= 0 && i < buttons.size() ? buttons.at(i) : nullptr;
}

// Legacy files store positions as any 32-bit number; the widget's rectangle would overflow
// near the ends of the range, so positions are kept within a million pixels like .jvp ones.
void place(QPushButton* b, bool visible, int x, int y)
{
    if (!b)
        return;
    b->setVisible(visible);
    b->move(boundedSide(x), boundedSide(y));
}

void placeSized(QPushButton* b, bool visible, int x, int y, QSize size)
{
    if (!b)
        return;
    b->setVisible(visible);
    b->setGeometry(boundedSide(x), boundedSide(y), size.width(), size.height());
}

// A document carrying the window's component sizes and picture format: the reader's defaults
// for members a file leaves out, and what the writer saves.
panelfile::Document documentWithSizesOf(const MainWindow& w)
{
    panelfile::Document doc;
    doc.switchSize = w.switchSize;
    doc.buttonSize = w.buttonSize;
    doc.ledSize = w.ledSize;
    doc.sstubeSize = w.sstubeSize;
    doc.imageFormat = w.imageFormat;
    return doc;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// .jvp

void MainWindow::readVPjson(QString fileName)
{
    resetCountsToMaxima();
    panelfile::Document doc = documentWithSizesOf(*this);
    panelfile::Geometry g;
    if (!readJvpFile(fileName, doc, g, nullptr)) {
        createCtl();
        return;
    }
    applyJvp(doc, g);
}

bool MainWindow::readJvpFile(const QString& fileName, panelfile::Document& doc, panelfile::Geometry& g,
                             QString* problem)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        qDebug() << "could't open projects json";
        if (problem)
            *problem = tr("文件无法打开");
        return false;
    }
    const QByteArray bytes = file.readAll();
    file.close();
    panelfile::ReadProblem why = panelfile::ReadProblem::None;
    if (panelfile::readJvp(bytes, doc, &g, &why))
        return true;
    if (problem) {
        switch (why) {
        case panelfile::ReadProblem::NotObject: *problem = tr("内容不是面板数据（顶层不是 JSON 对象）"); break;
        case panelfile::ReadProblem::BadPicture: *problem = tr("背景图片无法解码"); break;
        default: *problem = tr("不是完整的 JSON 文本，文件可能已损坏或不完整"); break;
        }
    }
    return false;
}

void MainWindow::applyJvp(panelfile::Document& doc, const panelfile::Geometry& g)
{
    resetCountsToMaxima();
    setPanelName(doc.name);
    experimentName = doc.description;
    switchSize = boundedSize(doc.switchSize);
    buttonSize = boundedSize(doc.buttonSize);
    ledSize = boundedSize(doc.ledSize);
    sstubeSize = boundedSize(doc.sstubeSize);
    createCtl();

    imageFormat = doc.imageFormat;
    if (!doc.background.isNull())
        backgroundImage = QPixmap::fromImage(std::move(doc.background));
    doc.background = QImage();

    const int w = boundedSide(g.panelSize.width()), h = boundedSide(g.panelSize.height());
    const int dw = g.extension.width(), dh = g.extension.height();
    backgroundScene.clear();
    addScaledBackground(backgroundScene, backgroundImage, w - dw, h - dh);
    backgroundView->setScene(&backgroundScene);
    backgroundView->setSceneRect(-dw, -dh, w, h);
    backgroundView->resize(w + 10, h + 10);
    backgroundView->show();

    for (const panelfile::Entry& e : doc.entries) {
        switch (e.kind) {
        case panelfile::Kind::Switch:
            if (QPushButton* sw = at(switchButtons, e.index)) {
                place(sw, true, e.pos.x(), e.pos.y());
                setSwitchUpright(sw, e.upright);
            }
            break;
        case panelfile::Kind::Key: place(at(keyButtons, e.index), true, e.pos.x(), e.pos.y()); break;
        case panelfile::Kind::RedLed: place(at(redLedButtons, e.index), true, e.pos.x(), e.pos.y()); break;
        case panelfile::Kind::GreenLed: place(at(greenLedButtons, e.index), true, e.pos.x(), e.pos.y()); break;
        case panelfile::Kind::Digit: place(at(digitButtons, e.index), true, e.pos.x(), e.pos.y()); break;
        case panelfile::Kind::TextLabel: {
            auto* label = new BrixoLineedit(panelView);
            label->show();
            label->key = nextTextLabelKey++;
            label->index = e.index;
            label->move(e.pos);
            label->setLabelText(e.text);
            label->installEventFilter(this);
            watchLabelText(label);
            textLabels.append(label);
            break;
        }
        case panelfile::Kind::DataSlot: {
            auto* slot = new BrixoButton(panelView);
            slot->show();
            slot->bitWidth = e.bitWidth;
            slot->isVertical = e.isVertical;
            slot->index = e.index;
            slot->key = nextDataSlotKey++;
            slot->move(e.pos);
            slot->setDataText(e.text, false);
            slot->installEventFilter(this);
            dataSlots.append(slot);
            break;
        }
        }
    }
    componentData->setDataSlots(dataSlots);
}

void MainWindow::saveByjson(QString fiName)
{
    lastWriteOk = false;
    if (!hasPanel() && dataSlots.isEmpty() && textLabels.isEmpty())
        return;
    updateToTable();

    panelfile::Document doc = documentWithSizesOf(*this);
    doc.name = panelName;
    doc.description = experimentName;
    if (backgroundImage.isNull())
        qDebug() << "kong";  // no picture: the panel size comes from the components
    else
        doc.background = backgroundImage.toImage();
    // The reader shifts the picture right and down by the panel's extension (scene rectangle
    // from -dw, -dh); the designer's size slider puts it back at the origin.
    const QRectF shown = backgroundView->sceneRect();
    doc.backgroundOrigin = QPoint(std::max(0, int(-shown.x())), std::max(0, int(-shown.y())));

    const auto addShown = [&doc](const QVector<QPushButton*>& buttons, panelfile::Kind kind, const MainWindow* w) {
        for (int i = 0; i < buttons.size(); ++i) {
            const QPushButton* b = buttons.at(i);
            if (!b || b->isHidden())
                continue;
            panelfile::Entry e;
            e.kind = kind;
            e.index = i;
            e.pos = b->pos();
            e.upright = kind != panelfile::Kind::Switch || w->isSwitchUpright(b);
            doc.entries.append(e);
        }
    };
    addShown(switchButtons, panelfile::Kind::Switch, this);
    addShown(keyButtons, panelfile::Kind::Key, this);
    addShown(redLedButtons, panelfile::Kind::RedLed, this);
    addShown(greenLedButtons, panelfile::Kind::GreenLed, this);
    addShown(digitButtons, panelfile::Kind::Digit, this);
    for (const BrixoButton* slot : qAsConst(dataSlots)) {
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
    for (const BrixoLineedit* label : qAsConst(textLabels)) {
        panelfile::Entry e;
        e.kind = panelfile::Kind::TextLabel;
        e.key = label->key;
        e.index = label->index;
        e.pos = label->pos();
        e.text = label->text();
        doc.entries.append(e);
    }

    const QByteArray bytes = panelfile::writeJvp(doc);
    imageFormat = doc.imageFormat;  // "bmp" pictures are kept as "jpg" from now on
    lastWriteOk = writePanelFile(fiName, bytes);
}

bool MainWindow::writePanelFile(const QString& fiName, const QByteArray& bytes)
{
    // An empty name is a cancelled dialog: nothing to write, nothing to say.
    if (fiName.isEmpty())
        return false;
    if (panelfile::writeFileAtomically(fiName, bytes))
        return true;
    QMessageBox box(QMessageBox::Warning, tr("警告"),
                    tr("无法保存虚拟面板文件：%1").arg(QDir::toNativeSeparators(fiName)), QMessageBox::Ok, this);
    MessageBox::exec(box);
    return false;
}

// ---------------------------------------------------------------------------------------
// Save and Save as

QString MainWindow::defaultSaveName()
{
    if (fileKind == QLatin1String("vp2"))
        return savePath.replace(QLatin1String(".vp2"), QLatin1String(".jvp"));
    if (fileKind == QLatin1String("vpl"))
        return savePath.replace(QLatin1String(".vpl"), QLatin1String(".jvp"));
    if (fileKind == QLatin1String("jvp"))
        return savePath;
    return QString();
}

bool MainWindow::warnNothingToSave()
{
    if (hasPanel())
        return false;
    QMessageBox box(QMessageBox::Warning, tr("警告"), tr("没有可以保存的虚拟面板"), QMessageBox::Ok, this);
    MessageBox::exec(box);
    return true;
}

void MainWindow::saveorSaveAs()
{
    lastWriteOk = false;
    if (warnNothingToSave())
        return;
    if (!isNewPanel && fileKind == QLatin1String("jvp")) {
        saveByjson(filePath);
        if (lastWriteOk)
            setPanelModified(false);
        return;
    }
    const QString answer = FileDialog::getSaveFileName(this, tr("保存虚拟面板文件"), defaultSaveName(),
                                                       tr("虚拟面板文件 (*.jvp)"));
    saveByjson(answer);
    adoptSavedFile(answer, QStringLiteral("jvp"));
}

void MainWindow::saveAs()
{
    lastWriteOk = false;
    if (warnNothingToSave())
        return;
    const QString answer = FileDialog::getSaveFileName(this, tr("保存虚拟面板文件"), defaultSaveName(),
                                                       tr("虚拟面板文件 (*.jvp);;早期虚拟面板文件 (*.vp2)"));
    if (QFileInfo(answer).suffix() == QLatin1String("jvp")) {
        saveByjson(answer);
        adoptSavedFile(answer, QStringLiteral("jvp"));
    } else {
        savePanelInfo(answer);
        adoptSavedFile(answer, QStringLiteral("vp2"));
    }
}

void MainWindow::adoptSavedFile(const QString& fiName, const QString& kind)
{
    if (!lastWriteOk)
        return;
    // The written file is the panel's file from now on: Save writes it in place.
    filePath = fiName;
    savePath = fiName;
    fileKind = kind;
    isNewPanel = false;
    lastDirectory = QFileInfo(fiName).absolutePath();
    // The text format has no data slots or labels: a panel that has some is still unsaved.
    if (kind == QLatin1String("jvp") || (dataSlots.isEmpty() && textLabels.isEmpty()))
        setPanelModified(false);
}

// ---------------------------------------------------------------------------------------
// Legacy formats

void MainWindow::warnMissingBackground(const QString& pictureName, const QString& directory)
{
    QMessageBox box(QMessageBox::Warning, QString(),
                    tr("找不到背景图，请将背景图%1存放在：%2路径下后重新打开").arg(pictureName, directory),
                    QMessageBox::Yes);
    MessageBox::exec(box);
}

void MainWindow::readVPL(QString fileName, QString filePath, QString baseName)
{
    backgroundPath = filePath + QLatin1Char('/') + baseName + QStringLiteral(".bmp");
    backgroundFileName = baseName + QStringLiteral(".bmp");
    imageFormat = QStringLiteral("bmp");
    panelData->load(fileName);
    if (fileName.isEmpty())
        return;

    setWindowTitle(QStringLiteral("Brixo"));
    backgroundScene.clear();
    const panelfile::LegacyBlock& block = panelData->block;
    const bool hasBackground = block.hasBackground();
    const int w = hasBackground ? boundedSide(block.backgroundWidth()) : 800;
    const int h = hasBackground ? boundedSide(block.backgroundHeight()) : 500;
    if (hasBackground) {
        backgroundImage.load(backgroundPath);
        if (backgroundImage.isNull())
            warnMissingBackground(baseName + QStringLiteral(".bmp"), filePath);
        else
            addScaledBackground(backgroundScene, backgroundImage, w, h);
    }
    backgroundView->setScene(&backgroundScene);
    backgroundView->setSceneRect(0, 0, w, h);
    backgroundView->resize(w + 10, h + 10);
    backgroundView->show();

    resetCountsToMaxima();
    createCtl();
    settingCtlNumber(panelfile::LegacyBlock::kSwitches, panelfile::LegacyBlock::kKeys,
                     panelfile::LegacyBlock::kRed, panelfile::LegacyBlock::kGreen, panelfile::LegacyBlock::kDigits);
    for (int i = 0; i < keyCount; ++i) {
        const panelfile::LegacyEntry e = block.key(i);
        place(at(keyButtons, i), e.visible, e.x, e.y);
    }
    for (int i = 0; i < switchCount; ++i) {
        const panelfile::LegacyEntry e = block.switchAt(i);
        place(at(switchButtons, i), e.visible, e.x, e.y);
    }
    for (int i = 0; i < greenLedCount; ++i) {
        const panelfile::LegacyEntry e = block.green(i);
        place(at(greenLedButtons, i), e.visible, e.x, e.y);
    }
    for (int i = 0; i < redLedCount; ++i) {
        const panelfile::LegacyEntry e = block.red(i);
        placeSized(at(redLedButtons, i), e.visible, e.x, e.y, ledSize);
    }
    for (int i = 0; i < digitCount; ++i) {
        const panelfile::LegacyEntry e = block.digit(i);
        placeSized(at(digitButtons, i), e.visible, e.x, e.y, sstubeSize + QSize(2, 2));
    }
    resetCountsToMaxima();
}

void MainWindow::readVP2(QString fileName, QString filePath)
{
    QFile file(fileName);
    if (!fileName.isEmpty() && file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        const QVector<QStringList> lines = panelfile::splitVp2Lines(file.readAll());
        file.close();
        componentModel->removeRows(0, componentModel->rowCount());
        for (const QStringList& cells : lines) {
            QList<QStandardItem*> row;
            for (const QString& c : cells)
                row.append(new QStandardItem(c));
            componentModel->appendRow(row);
        }
    } else {
        // A file that cannot be read builds an empty panel, not the last .vp2 file's lines again.
        componentModel->removeRows(0, componentModel->rowCount());
    }

    backgroundScene.clear();
    // The line store is the model the panel is built from.
    QVector<QStringList> rows;
    rows.reserve(componentModel->rowCount());
    for (int r = 0; r < componentModel->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < 8; ++c) {
            const QStandardItem* item = componentModel->item(r, c);
            cells.append(item ? item->text() : QString());
        }
        rows.append(cells);
    }
    const panelfile::Vp2Panel p = panelfile::decodeVp2(rows);

    setPanelName(p.name);
    experimentName = p.description;
    resetCountsToMaxima();

    const int w = boundedSide(p.backgroundSize.width()), h = boundedSide(p.backgroundSize.height());
    if (!p.backgroundFileName.isEmpty()) {
        backgroundFileName = p.backgroundFileName;
        backgroundPath = filePath + QLatin1Char('/') + backgroundFileName;
        const int dot = backgroundFileName.lastIndexOf(QLatin1Char('.'));
        imageFormat = dot < 0 ? backgroundFileName : backgroundFileName.mid(dot + 1);
        backgroundImage.load(backgroundPath);
        if (backgroundImage.isNull())
            warnMissingBackground(backgroundFileName, filePath);
        else
            addScaledBackground(backgroundScene, backgroundImage, w, h);
    }
    backgroundView->setSceneRect(0, 0, w, h);
    backgroundView->setScene(&backgroundScene);
    backgroundView->resize(w + 10, h + 10);
    backgroundView->show();

    switchSize = boundedSize(p.switchSize);
    buttonSize = boundedSize(p.buttonSize);
    ledSize = boundedSize(p.ledSize);
    sstubeSize = boundedSize(p.sstubeSize);
    createCtl();

    for (int i = 0; i < p.keys.size(); ++i)
        place(at(keyButtons, i), p.keys[i].visible, p.keys[i].x, p.keys[i].y);
    for (int i = 0; i < p.switches.size(); ++i) {
        const panelfile::Vp2Component& c = p.switches[i];
        if (QPushButton* sw = at(switchButtons, i)) {
            place(sw, c.visible, c.x, c.y);
            setSwitchUpright(sw, !c.lying);
        }
    }
    for (int i = 0; i < p.greenLeds.size(); ++i)
        place(at(greenLedButtons, i), p.greenLeds[i].visible, p.greenLeds[i].x, p.greenLeds[i].y);
    for (int i = 0; i < p.redLeds.size(); ++i)
        placeSized(at(redLedButtons, i), p.redLeds[i].visible, p.redLeds[i].x, p.redLeds[i].y, ledSize);
    for (int i = 0; i < p.digits.size(); ++i)
        placeSized(at(digitButtons, i), p.digits[i].visible, p.digits[i].x, p.digits[i].y, sstubeSize + QSize(2, 2));
}

void MainWindow::savePanelInfo(QString fiName)
{
    lastWriteOk = false;
    if (!hasPanel())
        return;
    QMultiMap<QPushButton*, QString> mapI;
    struct Block { const QVector<QPushButton*>* buttons; const char* prefix; };
    const Block blocks[] = {{&switchButtons, "sw"}, {&keyButtons, "key"}, {&redLedButtons, "redLed"},
                            {&greenLedButtons, "greenLed"}, {&digitButtons, "sstube"}};
    for (const Block& b : blocks)
        for (int i = 0; i < b.buttons->size(); ++i)
            createContainer(QLatin1String(b.prefix), mapI, b.buttons->at(i), i);

    panelfile::Vp2Panel header;
    header.name = panelName;
    header.backgroundFileName = backgroundFileName;
    header.backgroundSize = backgroundImage.isNull() ? QSize(0, 0) : backgroundImage.size();
    // A named picture that was missing when the panel was read still has the panel's area:
    // 0 x 0 would name the picture and draw it at no size once it is put back.
    if (backgroundImage.isNull() && !backgroundFileName.isEmpty())
        header.backgroundSize = backgroundView->sceneRect().size().toSize();
    header.description = experimentName;
    header.switches.resize(switchButtons.size());
    header.keys.resize(keyButtons.size());
    header.redLeds.resize(redLedButtons.size());
    header.greenLeds.resize(greenLedButtons.size());
    header.digits.resize(digitButtons.size());
    header.switchSize = switchSize;
    header.buttonSize = buttonSize;
    header.ledSize = ledSize;
    header.sstubeSize = sstubeSize;

    // The whole text is built first and replaces the file only once complete.
    QByteArray bytes;
    {
        QTextStream out(&bytes, QIODevice::WriteOnly);
        out.setCodec(QTextCodec::codecForLocale());
        out << panelfile::vp2HeaderLines(header);
        for (const Block& b : blocks)
            for (QPushButton* button : *b.buttons)
                saveing(out, button, mapI);
    }
    lastWriteOk = writePanelFile(fiName, bytes);
}

void MainWindow::saveing(QTextStream& out, QPushButton* btn, QMultiMap<QPushButton*, QString>& mapI)
{
    for (const QString& value : mapI.values(btn))
        out << value << ',';
    out << '\n';
}

// ---------------------------------------------------------------------------------------
// Open

void MainWindow::onOpenPanel()
{
    openedFileName = FileDialog::getOpenFileName(this, tr("打开虚拟面板文件"), lastDirectory,
                                                 tr("虚拟面板文件 (*.jvp);;早期虚拟面板文件 (*.vpl;*.vp2)"));
    openedLoaded = false;
    if (openedFileName.isEmpty())
        return;
    openedLoaded = loadPanelFile(openedFileName);
}

bool MainWindow::refuseUnreadable(const QString& fileName, const QString& problem)
{
    QMessageBox box(QMessageBox::Warning, tr("警告"),
                    tr("无法打开虚拟面板文件 %1：%2").arg(QDir::toNativeSeparators(fileName), problem),
                    QMessageBox::Ok, this);
    box.setInformativeText(tr("当前的虚拟面板保持不变。"));
    MessageBox::exec(box);
    return false;
}

bool MainWindow::loadPanelFile(const QString& fileName)
{
    openedFileName = fileName;
    const QFileInfo info(fileName);
    const QString suffix = info.suffix();
    // Everything is checked before the open panel is cleared: a file that cannot be read
    // leaves the window as it was, so the next Save cannot overwrite it with an empty panel.
    const bool jvp = suffix == QLatin1String("jvp");
    if (!jvp && suffix != QLatin1String("vp2") && suffix != QLatin1String("vpl"))
        return refuseUnreadable(fileName, tr("这不是虚拟面板文件（应为 .jvp、.vpl 或 .vp2 文件）"));
    panelfile::Document doc = documentWithSizesOf(*this);
    panelfile::Geometry g;
    QString problem;
    if (jvp && !readJvpFile(fileName, doc, g, &problem))
        return refuseUnreadable(fileName, problem);
    if (!jvp && !QFile(fileName).open(QIODevice::ReadOnly))
        return refuseUnreadable(fileName, tr("文件无法打开"));

    if (hasPanel() || !dataSlots.isEmpty() || !textLabels.isEmpty())
        deleteAllFace();

    filePath = openedFileName;
    lastDirectory = info.absolutePath();
    const QString baseName = info.baseName();
    savePath = filePath;
    backgroundImage = QPixmap();
    // The picture file named by the last legacy panel is not this panel's; the legacy readers
    // name their own.
    backgroundFileName.clear();
    backgroundPath.clear();

    if (suffix == QLatin1String("vp2")) {
        readVP2(filePath, info.absolutePath());
        fileKind = QStringLiteral("vp2");
    } else if (suffix == QLatin1String("vpl")) {
        panelName.clear();
        experimentName.clear();
        readVPL(filePath, info.absolutePath(), baseName);
        fileKind = QStringLiteral("vpl");
    } else {
        applyJvp(doc, g);
        fileKind = QStringLiteral("jvp");
    }
    updateToTable();
    // Run mode reads the data slots the board data lists: those of this panel, not the last one's.
    componentData->setDataSlots(dataSlots);
    // The description names the boardless experiment this panel simulates.
    componentData->selectExperiment(experimentName);
    isNewPanel = false;
    setPanelModified(false);
    return true;
}

void MainWindow::judgeModel()
{
    if (!maySaveChanges())
        return;
    onOpenPanel();
    // Cancelled or refused: the panel stays exactly as it was; re-dressing it would blank the
    // LEDs and digits that show the board in run mode.
    if (openedFileName.isEmpty() || !openedLoaded)
        return;
    dressOpenedPanel();
}

void MainWindow::openPanelAtStart(const QString& fileName)
{
    // What a file manager's double-click asks for: the same as choosing the file in Open.
    if (loadPanelFile(QFileInfo(fileName).absoluteFilePath()))
        dressOpenedPanel();
}

void MainWindow::dressOpenedPanel()
{
    if (!hasPanel())
        return;
    if (designMode)
        designUIChange();
    else
        designUIrecovery();
    // The toolbox lists offer what the loaded panel has not placed yet.
    removeCombo();
    addCombo();
}

void MainWindow::connectFileActions()
{
    connect(openAction, &QAction::triggered, this, &MainWindow::judgeModel);
    connect(saveAction, &QAction::triggered, this, &MainWindow::saveorSaveAs);
    connect(saveAsAction, &QAction::triggered, this, &MainWindow::saveAs);
    // The component table command is wired with the other design tools (ctlToolConnect).
}

bool MainWindow::maySaveChanges()
{
    if (!modified)
        return true;
    const QString name = !isNewPanel && !filePath.isEmpty() ? QFileInfo(filePath).fileName()
                         : !panelName.isEmpty()            ? panelName
                                                           : tr("未命名面板");
    QMessageBox box(QMessageBox::Question, QString(), tr("是否保存对 %1 的更改？").arg(name),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    box.button(QMessageBox::Save)->setText(tr("保存"));
    box.button(QMessageBox::Discard)->setText(tr("不保存"));
    box.button(QMessageBox::Cancel)->setText(tr("取消"));
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (MessageBox::exec(box)) {
    case QMessageBox::Save:
        saveorSaveAs();
        return lastWriteOk;
    case QMessageBox::Discard:
        return true;
    default:
        return false;
    }
}
