#pragma once
// Run mode: the panel's switches and keys drive the board (or the simulation), the board's
// LEDs, digits and data slots are drawn on the panel, automatic refresh, and the FPGA download.
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QStringList>

#include <functional>

class BoardWorker;
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
    // The countdown shows at the right of window's menu bar while automatic refresh runs. The
    // board is driven through `worker`, on its own thread.
    RunMode(PanelModel* panel, QMainWindow* window, BoardWorker* worker);

    // The board data lives as long as the window; the panel's builds size it.
    VirtualComponentData* boardData() const { return componentData_; }
    QTimer* autoRefreshTimer() const { return autoRefreshTimer_; }
    QLabel* countdownLabel() const { return countdownLabel_; }
    int refreshCountdown() const { return refreshCountdown_; }
    // Result of the last key press (0 while it is on its way or reached the board, the code
    // once it failed); a release is sent only for a press that did not fail.
    int keyPressPending() const { return keyPressPending_; }
    BoardWorker* worker() const { return worker_; }
    // A step or an FPGA download is under way.
    bool boardBusy() const;
    bool downloading() const { return downloading_; }
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
    // An FPGA download began or ended: the commands that would wait on the board for it are
    // not offered meanwhile.
    void downloadRunning(bool running);

private:
    void sizeBoardData();
    void linkFailed(int code);
    void fpgaConfigured(int code);
    void setDownloading(bool running);
    void markDigitDrawn(int index, int pattern);
    QString digitKey(int pattern) const;

    PanelModel* panel_;
    QMainWindow* window_;
    BoardWorker* worker_;
    VirtualComponentData* componentData_;
    PanelKeys* keys_;
    QTimer* autoRefreshTimer_;
    QLabel* countdownLabel_;
    int keyPressPending_ = 1;
    int refreshCountdown_ = 0;
    bool downloading_ = false;
    bool fpgaRetried_ = false;
    QByteArray fpgaPath_; // the file being downloaded, in the local 8-bit encoding
    FileChooser chooseFpgaFile_;
    QList<QMetaObject::Connection> runConnections_;
};
