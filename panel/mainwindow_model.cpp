// The panel model held by the main window: component arrays, counts, sizes, numbering,
// createCtl/deleteAllFace, digit drawing and the design-mode event filter.
#include "app/mainwindow.h"
#include "panel/brixobutton.h"
#include "panel/brixolineedit.h"

#include <QButtonGroup>
#include <QEvent>
#include <QGraphicsPixmapItem>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>

namespace {
const char* const segmentNames[8] = {"A1", "B1", "C1", "D1", "E1", "F1", "G1", "H1"};

QPixmap picture(const char* name)
{
    return QPixmap(QStringLiteral(":/images/") + QLatin1String(name));
}

QButtonGroup* makeGroup(const QVector<QPushButton*>& buttons, const char* name)
{
    auto* group = new QButtonGroup;
    group->setObjectName(QLatin1String(name));
    for (int i = 0; i < buttons.size(); ++i)
        group->addButton(buttons[i], i);
    group->setExclusive(false);
    return group;
}

// Components are created hidden; the readers and the designer show the ones on the panel.
QPushButton* makeComponent(QWidget* parent, const QString& name, const QPixmap& icon, const QSize& size)
{
    auto* b = new QPushButton(parent);
    b->setObjectName(name);
    if (!icon.isNull())
        b->setIcon(QIcon(icon));
    b->hide();
    b->setIconSize(size);
    b->setFixedSize(size);
    return b;
}
}

void MainWindow::loadComponentImages()
{
    switchOffImage = picture("switch_0");
    switchOnImage = picture("switch_1");
    switchOffLayImage = picture("switch_0_lay");
    switchOnLayImage = picture("switch_1_lay");
    keyReleasedImage = picture("KEY1");
    keyPressedImage = picture("KEY0");
    ledOffImage = picture("led_off");
    ledRedImage = picture("led_red");
    ledGreenImage = picture("led_green");
    digitBackgroundImage = picture("BG");
    for (int i = 0; i < 8; ++i)
        segmentImages[i] = picture(segmentNames[i]);
    scaledDigitSize = QSize();
}

bool MainWindow::hasPanel() const
{
    return switchGroup || keyGroup || redLedGroup || greenLedGroup || digitGroup;
}

void MainWindow::resetCountsToMaxima()
{
    settingCtlNumber(maxSwitches, maxKeys, maxRedLeds, maxGreenLeds, maxDigits);
}

QString MainWindow::panelTitle(const QString& name)
{
    return name.isEmpty() ? QStringLiteral("Brixo") : QStringLiteral("Brixo - ") + name;
}

void MainWindow::setPanelName(const QString& name)
{
    panelName = name;
    setWindowTitle(panelTitle(name));
}

const QIcon& MainWindow::switchIcon(bool upright, bool on)
{
    // Drawn from the scalable pictures, so all four fill the switch's button at any switch
    // size: a click changes the lever, never the size.
    static const QIcon icons[4] = {QIcon(QStringLiteral(":/images/switch_0_lay")), QIcon(QStringLiteral(":/images/switch_1_lay")),
                                   QIcon(QStringLiteral(":/images/switch_0")), QIcon(QStringLiteral(":/images/switch_1"))};
    return icons[(upright ? 2 : 0) + (on ? 1 : 0)];
}

bool MainWindow::isSwitchUpright(const QWidget* sw) const
{
    return sw->width() == switchSize.width();
}

void MainWindow::setSwitchUpright(QPushButton* sw, bool upright)
{
    const QSize size = upright ? switchSize : switchSize.transposed();
    sw->setIconSize(size);
    sw->setFixedSize(size);
}

void MainWindow::settingCtlNumber(int a, int b, int c, int d, int e)
{
    switchCount = a;
    keyCount = b;
    redLedCount = c;
    greenLedCount = d;
    digitCount = e;
}

const QPixmap& MainWindow::scaledDigitPicture(int layer)
{
    // A digit is redrawn ten times a second during refresh; scale once per size, not per draw.
    if (scaledDigitSize != sstubeSize) {
        scaledDigitSize = sstubeSize;
        scaledDigitLayers[0] = digitBackgroundImage.scaled(sstubeSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        for (int i = 0; i < 8; ++i)
            scaledDigitLayers[i + 1] = segmentImages[i].scaled(sstubeSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return scaledDigitLayers[layer];
}

void MainWindow::createCtl()
{
    // A second build without deleteAllFace (readers build twice) must not leave the first set alive.
    releaseComponentArrays();
    const auto clamp = [](int n, int max) { return qBound(0, n, max); };
    switchCount = clamp(switchCount, maxSwitches);
    keyCount = clamp(keyCount, maxKeys);
    redLedCount = clamp(redLedCount, maxRedLeds);
    greenLedCount = clamp(greenLedCount, maxGreenLeds);
    digitCount = clamp(digitCount, maxDigits);

    keyReleasedImage = picture("KEY1");
    keyPressedImage = picture("KEY0");

    // The board data is sized alongside the widgets, so both walk the same counts.
    componentData->setKeyCount(keyCount);
    for (int i = 0; i < keyCount; ++i)
        keyButtons.append(makeComponent(panelView, QStringLiteral("key%1").arg(i), keyReleasedImage, buttonSize));
    keyGroup = makeGroup(keyButtons, "keyGroup");

    componentData->setSwitchCount(switchCount);
    for (int i = 0; i < switchCount; ++i)
        switchButtons.append(makeComponent(panelView, QStringLiteral("switch%1").arg(i), QPixmap(), switchSize));
    switchGroup = makeGroup(switchButtons, "switchGroup");

    componentData->setGreenLedCount(greenLedCount);
    for (int i = 0; i < greenLedCount; ++i)
        greenLedButtons.append(makeComponent(panelView, QStringLiteral("greenLed%1").arg(i), ledOffImage, ledSize));
    greenLedGroup = makeGroup(greenLedButtons, "greenLedGroup");

    componentData->setRedLedCount(redLedCount);
    for (int i = 0; i < redLedCount; ++i)
        redLedButtons.append(makeComponent(panelView, QStringLiteral("redLed%1").arg(i), ledOffImage, ledSize));
    redLedGroup = makeGroup(redLedButtons, "redLedGroup");

    componentData->setDigitCount(digitCount);
    for (int i = 0; i < digitCount; ++i) {
        auto* b = new QPushButton(panelView);
        b->setObjectName(QStringLiteral("digit%1").arg(i));
        b->hide();
        b->resize(sstubeSize);
        auto* view = new QGraphicsView(b);
        view->setObjectName(QStringLiteral("digitView%1").arg(i));
        view->setStyleSheet(QStringLiteral("border:0px"));
        view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        auto* scene = new QGraphicsScene;
        scene->addPixmap(scaledDigitPicture(0));
        scene->setSceneRect(0, 0, sstubeSize.width(), sstubeSize.height());
        view->setScene(scene);
        view->resize(sstubeSize);
        digitButtons.append(b);
        digitViews.append(view);
        digitScenes.append(scene);
    }
    digitGroup = makeGroup(digitButtons, "digitGroup");
}

void MainWindow::releaseComponentArrays()
{
    // Groups and scenes have no parent; the buttons own their digit views.
    for (QButtonGroup** g : {&keyGroup, &switchGroup, &greenLedGroup, &redLedGroup, &digitGroup}) {
        delete *g;
        *g = nullptr;
    }
    for (QVector<QPushButton*>* list : {&keyButtons, &switchButtons, &greenLedButtons, &redLedButtons, &digitButtons}) {
        qDeleteAll(*list);
        list->clear();
    }
    digitViews.clear();
    for (QGraphicsScene* s : digitScenes)
        delete s;
    digitScenes.clear();
}

void MainWindow::deleteAllFace()
{
    releaseComponentArrays();
    qDeleteAll(dataSlots);
    dataSlots.clear();
    qDeleteAll(textLabels);
    textLabels.clear();
    dragging = false;
}

void MainWindow::showSSTube(int index, char seg)
{
    if (index < 0 || index >= digitScenes.size())
        return;
    QGraphicsScene* scene = digitScenes[index];
    scene->clear();
    scene->addPixmap(scaledDigitPicture(0));
    const auto bits = static_cast<unsigned char>(seg);
    for (int i = 0; i < 8; ++i)
        if (bits & (1u << i))
            scene->addPixmap(scaledDigitPicture(i + 1));
}

void MainWindow::returnKey(int index)
{
    currentIndex = index;
}

namespace {
const QString selectedSheet = QStringLiteral("QWidget { background-color:gray; }");
const QString deselectedSheet = QStringLiteral("QWidget { background-color:transparent; }");

// Selection lives in the style sheet: set by a double-click, cleared on leave.
bool isSelected(const QWidget* w)
{
    return w->styleSheet() == selectedSheet;
}
}

bool MainWindow::eventFilter(QObject* obj, QEvent* evt)
{
    if (!obj->isWidgetType())
        return false;
    currentWidget = static_cast<QWidget*>(obj);
    QWidget* w = currentWidget;
    switch (evt->type()) {
    case QEvent::KeyPress: {
        auto* button = qobject_cast<QPushButton*>(w);
        if (!button || static_cast<QKeyEvent*>(evt)->key() != Qt::Key_Space || !isSelected(w))
            break;
        if (currentIndex >= 0 && currentIndex < switchButtons.size() && switchButtons[currentIndex] == button) {
            const bool upright = isSwitchUpright(button);
            setSwitchUpright(button, !upright);
            button->setIcon(switchIcon(!upright, true));
            setPanelModified(true);
        }
        if (auto* slot = qobject_cast<BrixoButton*>(w)) {
            slot->setDataText(slot->text(), true);
            setPanelModified(true);
        }
        break;
    }
    case QEvent::MouseButtonDblClick:
        w->setStyleSheet(selectedSheet);
        break;
    case QEvent::MouseButtonPress: {
        auto* me = static_cast<QMouseEvent*>(evt);
        if (auto* slot = qobject_cast<BrixoButton*>(w)) {
            if (bitWidthEdit)
                bitWidthEdit->setText(QString::number(slot->bitWidth));
            if (indexEdit)
                indexEdit->setText(QString::number(slot->index));
            if (keyEdit)
                keyEdit->setText(QString::number(slot->key));
        }
        if (me->buttons() & Qt::LeftButton) {
            if (w->rect().contains(me->pos()) && me->button() == Qt::LeftButton) {
                dragging = true;
                dragOrigin = me->pos();
                dragStart = w->pos();
            }
        } else if ((me->buttons() & Qt::RightButton) && isSelected(w)) {
            removingCtl(w);
            changeItemColor2();
        }
        break;
    }
    case QEvent::MouseMove:
        if (dragging)
            w->move(w->pos() + (static_cast<QMouseEvent*>(evt)->pos() - dragOrigin));
        break;
    case QEvent::MouseButtonRelease:
        if (dragging) {
            dragging = false;
            updateToTable(); // the component tables show where it was dropped
            if (w->pos() != dragStart)
                setPanelModified(true);
        }
        break;
    case QEvent::Leave:
        w->setStyleSheet(deselectedSheet);
        break;
    case QEvent::ContextMenu:
        // The right-click that just removed a component must not open the widget's own menu:
        // a text label's edit menu would take the keyboard from the window's shortcuts.
        if (w->isHidden())
            return true;
        break;
    default:
        break;
    }
    return false;
}
