#include "panel/panelmodel.h"

#include "panel/brixobutton.h"
#include "panel/brixolineedit.h"

#include <QButtonGroup>
#include <QEvent>
#include <QGraphicsPixmapItem>
#include <QGraphicsView>
#include <QIcon>
#include <QPushButton>

#include <algorithm>

using brixo::ComponentKind;

namespace {
const char* const segmentNames[8] = {"A1", "B1", "C1", "D1", "E1", "F1", "G1", "H1"};

QPixmap picture(const char* name) { return QPixmap(QStringLiteral(":/images/") + QLatin1String(name)); }

QButtonGroup* makeGroup(const QVector<QPushButton*>& buttons, const QString& name)
{
    auto* group = new QButtonGroup;
    group->setObjectName(name);
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
} // namespace

PanelModel::PanelModel(QGraphicsView* panelView, QWidget* window, QObject* parent)
    : QObject(parent), panelView_(panelView), window_(window)
{
    setObjectName(QStringLiteral("panelModel"));
    backgroundView_ = new QGraphicsView(panelView_);
    backgroundView_->setObjectName(QStringLiteral("backgroundView"));
    backgroundView_->setScene(&backgroundScene_);
    // The picture's pixel (x, y) lies under panel position (x, y): the view is larger than its
    // scene and would otherwise centre it.
    backgroundView_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    backgroundView_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    backgroundView_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    backgroundView_->setStyleSheet(QStringLiteral("border:0px"));
    backgroundView_->installEventFilter(this);
    loadPictures();
    resetCountsToMaxima();
}

PanelModel::~PanelModel() { deleteAllFace(); }

bool PanelModel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == backgroundView_) {
        switch (event->type()) {
        case QEvent::Resize:
        case QEvent::Move:
        case QEvent::Show:
        case QEvent::Hide: {
            const QRect shown = backgroundView_->isHidden() ? QRect() : backgroundView_->geometry();
            panelView_->setMinimumSize(qMax(0, shown.right() + 1), qMax(0, shown.bottom() + 1));
            break;
        }
        default: break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void PanelModel::loadPictures()
{
    pictures_.switchOffImage = picture("switch_0");
    pictures_.switchOnImage = picture("switch_1");
    pictures_.switchOffLayImage = picture("switch_0_lay");
    pictures_.switchOnLayImage = picture("switch_1_lay");
    pictures_.keyReleasedImage = picture("KEY1");
    pictures_.keyPressedImage = picture("KEY0");
    pictures_.ledOffImage = picture("led_off");
    pictures_.ledRedImage = picture("led_red");
    pictures_.ledGreenImage = picture("led_green");
    pictures_.digitBackgroundImage = picture("BG");
    for (int i = 0; i < 8; ++i)
        pictures_.segmentImages[i] = picture(segmentNames[i]);
    scaledDigitSize_ = QSize();
}

bool PanelModel::hasPanel() const
{
    return std::any_of(groups_.begin(), groups_.end(), [](QButtonGroup* g) { return g != nullptr; });
}

void PanelModel::resetCountsToMaxima()
{
    for (const brixo::KindInfo& k : brixo::kComponentKinds)
        counts_[index(k.kind)] = k.maximum;
}

QString PanelModel::panelTitle(const QString& name)
{
    return name.isEmpty() ? QStringLiteral("Brixo") : QStringLiteral("Brixo - ") + name;
}

void PanelModel::setPanelName(const QString& name)
{
    name_ = name;
    setTitle(panelTitle(name));
}

void PanelModel::setTitle(const QString& title)
{
    if (window_)
        window_->setWindowTitle(title);
}

const QIcon& PanelModel::switchIcon(bool upright, bool on)
{
    // Drawn from the scalable pictures, so all four fill the switch's button at any switch
    // size: a click changes the lever, never the size.
    static const QIcon icons[4] = {
        QIcon(QStringLiteral(":/images/switch_0_lay")), QIcon(QStringLiteral(":/images/switch_1_lay")),
        QIcon(QStringLiteral(":/images/switch_0")), QIcon(QStringLiteral(":/images/switch_1"))};
    return icons[(upright ? 2 : 0) + (on ? 1 : 0)];
}

void PanelModel::forEachPlaced(const std::function<void(const brixo::KindInfo&, int, const QPushButton*)>& f) const
{
    for (const brixo::KindInfo& k : brixo::kComponentKinds) {
        const QVector<QPushButton*>& list = buttons(k.kind);
        for (int i = 0; i < list.size(); ++i)
            if (list.at(i) && !list.at(i)->isHidden())
                f(k, i, list.at(i));
    }
}

bool PanelModel::isSwitchUpright(const QWidget* sw) const { return sw->width() == switchSize_.width(); }

void PanelModel::setSwitchUpright(QPushButton* sw, bool upright)
{
    const QSize size = upright ? switchSize_ : switchSize_.transposed();
    sw->setIconSize(size);
    sw->setFixedSize(size);
}

void PanelModel::settingCtlNumber(int a, int b, int c, int d, int e) { counts_ = {a, b, c, d, e}; }

const QPixmap& PanelModel::scaledDigitPicture(int layer)
{
    // A digit is redrawn ten times a second during refresh; scale once per size, not per draw.
    if (scaledDigitSize_ != sstubeSize_) {
        scaledDigitSize_ = sstubeSize_;
        const auto scaled = [this](const QPixmap& p) {
            return p.scaled(sstubeSize_, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        };
        scaledDigitLayers_[0] = scaled(pictures_.digitBackgroundImage);
        for (int i = 0; i < 8; ++i)
            scaledDigitLayers_[i + 1] = scaled(pictures_.segmentImages[i]);
    }
    return scaledDigitLayers_[layer];
}

void PanelModel::createCtl()
{
    // A second build without deleteAllFace (readers build twice) must not leave the first set alive.
    releaseComponentArrays();
    for (const brixo::KindInfo& k : brixo::kComponentKinds)
        counts_[index(k.kind)] = qBound(0, counts_[index(k.kind)], k.maximum);

    for (ComponentKind kind : brixo::kindsInLayerOrder()) {
        const QString prefix = QLatin1String(brixo::kindInfo(kind).objectName);
        QVector<QPushButton*>& list = buttons_[index(kind)];
        for (int i = 0; i < count(kind); ++i) {
            const QString name = prefix + QString::number(i);
            switch (kind) {
            case ComponentKind::Key:
                list.append(makeComponent(panelView_, name, pictures_.keyReleasedImage, buttonSize_));
                break;
            case ComponentKind::Switch: list.append(makeComponent(panelView_, name, QPixmap(), switchSize_)); break;
            case ComponentKind::RedLed:
            case ComponentKind::GreenLed:
                list.append(makeComponent(panelView_, name, pictures_.ledOffImage, ledSize_));
                break;
            case ComponentKind::Digit: {
                auto* b = new QPushButton(panelView_);
                b->setObjectName(name);
                b->hide();
                b->resize(sstubeSize_);
                auto* view = new QGraphicsView(b);
                view->setObjectName(QStringLiteral("digitView%1").arg(i));
                view->setStyleSheet(QStringLiteral("border:0px"));
                view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
                view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
                auto* scene = new QGraphicsScene;
                scene->addPixmap(scaledDigitPicture(0));
                scene->setSceneRect(0, 0, sstubeSize_.width(), sstubeSize_.height());
                view->setScene(scene);
                view->resize(sstubeSize_);
                list.append(b);
                digitViews_.append(view);
                digitScenes_.append(scene);
                break;
            }
            }
        }
        groups_[index(kind)] = makeGroup(list, prefix + QStringLiteral("Group"));
    }
    emit componentsBuilt();
}

void PanelModel::releaseComponentArrays()
{
    // Groups and scenes have no parent; the buttons own their digit views.
    for (QButtonGroup*& g : groups_) {
        delete g;
        g = nullptr;
    }
    for (QVector<QPushButton*>& list : buttons_) {
        qDeleteAll(list);
        list.clear();
    }
    digitViews_.clear();
    qDeleteAll(digitScenes_);
    digitScenes_.clear();
}

void PanelModel::deleteAllFace()
{
    releaseComponentArrays();
    qDeleteAll(dataSlots_);
    dataSlots_.clear();
    qDeleteAll(textLabels_);
    textLabels_.clear();
    emit componentsRemoved();
    setKeyBindings(panelfile::KeyBindings::defaults());
}

void PanelModel::showSSTube(int index, char seg)
{
    if (index < 0 || index >= digitScenes_.size())
        return;
    QGraphicsScene* scene = digitScenes_[index];
    scene->clear();
    scene->addPixmap(scaledDigitPicture(0));
    const auto bits = static_cast<unsigned char>(seg);
    for (int i = 0; i < 8; ++i)
        if (bits & (1u << i))
            scene->addPixmap(scaledDigitPicture(i + 1));
}

void PanelModel::addDataSlot(BrixoButton* slot)
{
    if (selectionFilter_)
        slot->installEventFilter(selectionFilter_);
    dataSlots_.append(slot);
}

void PanelModel::addTextLabel(BrixoLineedit* label)
{
    if (selectionFilter_)
        label->installEventFilter(selectionFilter_);
    // Typing into a label changes what Save writes.
    connect(label, &QLineEdit::textEdited, this, [this] { modified_ = true; });
    textLabels_.append(label);
}

void PanelModel::removeComponent(QWidget* component)
{
    if (!component)
        return;
    component->hide();
    if (auto* slot = qobject_cast<BrixoButton*>(component)) {
        const int key = slot->key;
        dataSlots_.erase(
            std::remove_if(dataSlots_.begin(), dataSlots_.end(), [key](BrixoButton* s) { return s->key == key; }),
            dataSlots_.end());
    } else if (auto* label = qobject_cast<BrixoLineedit*>(component)) {
        const int key = label->key;
        textLabels_.erase(
            std::remove_if(textLabels_.begin(), textLabels_.end(), [key](BrixoLineedit* t) { return t->key == key; }),
            textLabels_.end());
    }
}
