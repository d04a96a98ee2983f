#pragma once
// The panel being shown: its components and their widgets, counts and sizes, data slots and
// text labels, background picture, name and experiment. Every other controller reads and
// changes the panel through here.
#include "component_kinds.h"
#include "panel_document.h"

#include <QGraphicsScene>
#include <QGraphicsView>
#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QSize>
#include <QVector>

#include <array>
#include <functional>

class BrixoButton;
class BrixoLineedit;
class QButtonGroup;
class QIcon;
class QPushButton;
class QWidget;

// Component pictures, loaded once.
struct ComponentPictures {
    QPixmap switchOffImage, switchOnImage, switchOffLayImage, switchOnLayImage;
    QPixmap keyReleasedImage, keyPressedImage; // KEY1 and KEY0
    QPixmap ledOffImage, ledRedImage, ledGreenImage;
    QPixmap digitBackgroundImage;
    QPixmap segmentImages[8]; // A1 .. H1: segments a to g, then the decimal point
};

// The picture behind the panel and what the files say about it.
struct PanelBackground {
    QPixmap image;
    QString path, fileName;
    QString format = QStringLiteral("png");
};

class PanelModel : public QObject {
    Q_OBJECT
public:
    // Components live on panelView; the title goes to window.
    PanelModel(QGraphicsView* panelView, QWidget* window, QObject* parent = nullptr);
    ~PanelModel() override;

    // The panel view is never smaller than the background it carries, so the scroll area
    // around it can reach every part of a big panel.
    bool eventFilter(QObject* watched, QEvent* event) override;

    QGraphicsView* panelView() const { return panelView_; }
    QGraphicsView* backgroundView() const { return backgroundView_; }
    QGraphicsScene& backgroundScene() { return backgroundScene_; }
    PanelBackground& background() { return background_; }
    const PanelBackground& background() const { return background_; }
    const ComponentPictures& pictures() const { return pictures_; }

    // --- building ---
    void settingCtlNumber(int a, int b, int c, int d, int e);
    // Every reader resets the counts to the maxima before building.
    void resetCountsToMaxima();
    // Builds the component widgets, hidden, for the counts (clamped to the maxima).
    void createCtl();
    // Removes every component, data slot and text label.
    void deleteAllFace();
    // The panel exists once createCtl has built the arrays (until deleteAllFace).
    bool hasPanel() const;

    int count(brixo::ComponentKind kind) const { return counts_[index(kind)]; }
    const QVector<QPushButton*>& buttons(brixo::ComponentKind kind) const { return buttons_[index(kind)]; }
    QButtonGroup* group(brixo::ComponentKind kind) const { return groups_[index(kind)]; }
    const QVector<QPushButton*>& switchButtons() const { return buttons(brixo::ComponentKind::Switch); }
    const QVector<QPushButton*>& keyButtons() const { return buttons(brixo::ComponentKind::Key); }
    const QVector<QPushButton*>& redLedButtons() const { return buttons(brixo::ComponentKind::RedLed); }
    const QVector<QPushButton*>& greenLedButtons() const { return buttons(brixo::ComponentKind::GreenLed); }
    const QVector<QPushButton*>& digitButtons() const { return buttons(brixo::ComponentKind::Digit); }
    // Calls f(kind, index, button) for each component placed on the panel (built and shown),
    // kinds in table order and each kind by index.
    void forEachPlaced(const std::function<void(const brixo::KindInfo&, int, const QPushButton*)>& f) const;
    const QVector<QGraphicsView*>& digitViews() const { return digitViews_; }
    const QVector<QGraphicsScene*>& digitScenes() const { return digitScenes_; }

    // --- sizes ---
    QSize switchSize() const { return switchSize_; }
    QSize buttonSize() const { return buttonSize_; }
    QSize ledSize() const { return ledSize_; }
    QSize sstubeSize() const { return sstubeSize_; }
    void setSwitchSize(QSize s) { switchSize_ = s; }
    void setButtonSize(QSize s) { buttonSize_ = s; }
    void setLedSize(QSize s) { ledSize_ = s; }
    void setSstubeSize(QSize s) { sstubeSize_ = s; }
    // A switch is upright when its width equals switchSize's width; lying swaps width and height.
    bool isSwitchUpright(const QWidget* sw) const;
    void setSwitchUpright(QPushButton* sw, bool upright);
    // The picture of a switch in each position and state.
    static const QIcon& switchIcon(bool upright, bool on);

    // --- digits ---
    void showSSTube(int index, char seg);
    // The digit pictures scaled to sstubeSize (0: background, 1..8: segments), redone only
    // when the size changes.
    const QPixmap& scaledDigitPicture(int layer);

    // --- data slots and text labels ---
    const QList<BrixoButton*>& dataSlots() const { return dataSlots_; }
    const QList<BrixoLineedit*>& textLabels() const { return textLabels_; }
    // Numbers for new slots and labels, in creation order.
    int takeDataSlotKey() { return nextDataSlotKey_++; }
    int takeTextLabelKey() { return nextTextLabelKey_++; }
    // Takes the widget onto the panel; the designer watches it for selection and dragging.
    void addDataSlot(BrixoButton* slot);
    void addTextLabel(BrixoLineedit* label);
    // Hides the component; a data slot or text label also leaves its list.
    void removeComponent(QWidget* component);
    // Watches data slots, text labels and, in design mode, the components.
    void setSelectionFilter(QObject* filter) { selectionFilter_ = filter; }
    QObject* selectionFilter() const { return selectionFilter_; }

    // --- name, title, experiment ---
    QString name() const { return name_; }
    QString experiment() const { return experiment_; }
    void setName(const QString& name) { name_ = name; }
    void setExperiment(const QString& experiment) { experiment_ = experiment; }
    // The title rule: "Brixo - " + name, or "Brixo" for an empty name.
    static QString panelTitle(const QString& name);
    // Sets the name and shows it in the title.
    void setPanelName(const QString& name);
    void setTitle(const QString& title);

    // What the panel shows now, without the window around it: pixel (x, y) is panel position
    // (x, y). Null without a panel (panel/panel_picture.cpp).
    QImage panelPicture() const;

    // Which keyboard key drives which switch or key in run mode; a closed panel goes back to
    // the defaults.
    const panelfile::KeyBindings& keyBindings() const { return keyBindings_; }
    void setKeyBindings(const panelfile::KeyBindings& bindings)
    {
        keyBindings_ = bindings;
        emit keyBindingsChanged();
    }

    // Whether the panel was changed in the designer since it was opened or saved.
    bool isModified() const { return modified_; }
    void setModified(bool changed) { modified_ = changed; }

    // Tell the board data what it reads now.
    void announceDataSlots() { emit dataSlotsChanged(); }
    void announceExperiment() { emit experimentChosen(experiment_); }

signals:
    void componentsBuilt();
    void componentsRemoved();
    void keyBindingsChanged();
    void dataSlotsChanged();
    void experimentChosen(const QString& experiment);

private:
    static int index(brixo::ComponentKind kind) { return static_cast<int>(kind); }
    void loadPictures();
    void releaseComponentArrays();

    panelfile::KeyBindings keyBindings_ = panelfile::KeyBindings::defaults();
    QGraphicsView* panelView_;
    QWidget* window_;
    QGraphicsView* backgroundView_ = nullptr;
    QGraphicsScene backgroundScene_;
    PanelBackground background_;
    ComponentPictures pictures_;

    std::array<QVector<QPushButton*>, 5> buttons_;
    std::array<QButtonGroup*, 5> groups_{};
    std::array<int, 5> counts_{};
    QVector<QGraphicsView*> digitViews_;
    QVector<QGraphicsScene*> digitScenes_;
    QSize switchSize_{20, 35}, buttonSize_{40, 40}, ledSize_{32, 32}, sstubeSize_{21, 33};
    QSize scaledDigitSize_;
    QPixmap scaledDigitLayers_[9];

    QList<BrixoButton*> dataSlots_;
    QList<BrixoLineedit*> textLabels_;
    int nextDataSlotKey_ = 0, nextTextLabelKey_ = 0;
    QPointer<QObject> selectionFilter_;
    QString name_, experiment_;
    bool modified_ = false;
};
