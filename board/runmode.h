#pragma once
// Run mode: the panel's switches and keys drive the board (or the simulation), the board's
// LEDs, digits and data slots are drawn on the panel, automatic refresh, and the FPGA download.
#include <QList>
#include <QObject>
#include <QStringList>

#include <functional>

class PanelKeys;
class PanelModel;
class QLabel;
class QMainWindow;
class QTimer;
class VirtualComponentData;
class QWidget;

class RunMode : public QObject {
    Q_OBJECT
public:
    // The countdown shows at the right of window's menu bar while automatic refresh runs.
    RunMode(PanelModel* panel, QMainWindow* window);

    // The board data lives as long as the window; the panel's builds size it.
    VirtualComponentData* boardData() const { return componentData_; }
    QTimer* autoRefreshTimer() const { return autoRefreshTimer_; }
    QLabel* countdownLabel() const { return countdownLabel_; }
    int refreshCountdown() const { return refreshCountdown_; }
    // Result of the last key press; a release is sent only after a press that succeeded.
    int keyPressPending() const { return keyPressPending_; }
    int inputConnectionCount() const { return runConnections_.size(); }
    // Keyboard keys and latched keys, which hold keys beside the mouse.
    PanelKeys* keys() const { return keys_; }

    // Asks for the FPGA configuration file; tests replace it so no file dialog opens.
    using FileChooser = std::function<QString(QWidget* parent, const QString& caption, const QString& filter)>;
    void setFpgaFileChooser(FileChooser chooser) { chooseFpgaFile_ = std::move(chooser); }

    // A digit scene already shows the pattern at the current size.
    bool digitShows(int index, int pattern) const;

public slots:
    void refreshVirtualPanel();
    void showRedLED(int index, bool state);
    void showGreenLED(int index, bool state);
    // Text i goes to every data widget whose index is i; missing texts show empty.
    void showData(const QStringList& dataInfo);
    void onSwitchToggle(int index, bool state);
    void onKeyDown(int index);
    void onKeyUp(int index);
    void fpgaProgram();
    void turnSimulation(bool checked);
    int autoRefreshBoard();
    // Ends automatic refresh: the timer stops and the countdown goes.
    void stopAutoRefresh();
    void turnAutoRefreshBoard(bool isAotuRefresh);
    void showAdapterInfo();
    void showFPGAInfo();
    // The run-mode dress of every component, then the input wiring.
    void designUIrecovery();
    void experimentConnect();
    // Drops the input wiring, as design mode takes the components over.
    void disconnectInput();

signals:
    // Input wiring begins: design mode's connections must go.
    void inputWiringStarted();
    // Automatic refresh ended or was refused: its menu command shows unchecked.
    void autoRefreshStopped();

private:
    void sizeBoardData();
    void markDigitDrawn(int index, int pattern);
    QString digitKey(int pattern) const;

    PanelModel* panel_;
    QMainWindow* window_;
    VirtualComponentData* componentData_;
    PanelKeys* keys_;
    QTimer* autoRefreshTimer_;
    QLabel* countdownLabel_;
    int keyPressPending_ = 1;
    int refreshCountdown_ = 0;
    bool refreshReading_ = false; // an automatic-refresh read is under way (its error box may be up)
    FileChooser chooseFpgaFile_;
    QList<QMetaObject::Connection> runConnections_;
};
