#pragma once
// Mode → Record...: what the board does in run mode, recorded as a waveform (VCD) into a file
// the user chooses, until the command is chosen again; then Export Timing Diagram... draws that
// recording as SVG or PNG for a report. The recorder sees the board worker's steps on the
// worker's thread; the window only starts, stops and shows.
#include <QObject>
#include <QString>

#include <memory>

class QAction;
class QLabel;
class QMainWindow;
class RunMode;

namespace brixo {
class VcdRecorder;
}

class Recording : public QObject {
    Q_OBJECT
public:
    Recording(QMainWindow* window, RunMode* runMode);
    ~Recording() override;

    // `record` is checkable and shows whether a recording runs; `exportDiagram` is offered once
    // a recording was written.
    void setActions(QAction* record, QAction* exportDiagram);
    bool recording() const { return recorder_ != nullptr; }
    // The last recording written, empty before the first.
    QString lastFile() const { return lastFile_; }
    QLabel* statusLabel() const { return status_; }

    // The panel's registers as a diagram shows them: its switches, keys, LEDs, digits, CPU data.
    QString panelSignals() const;
    // The diagram of a recording, SVG or (for a .png name) PNG; false with the reason.
    bool writeDiagram(const QString& vcd, const QString& out, QString* why) const;

public slots:
    void turnRecording(bool on);
    void exportDiagram();

private:
    bool start(const QString& path, QString* why);
    bool stop(QString* why);
    void warn(const QString& text);
    void showState();

    QMainWindow* window_;
    RunMode* runMode_;
    std::shared_ptr<brixo::VcdRecorder> recorder_;
    QString path_, lastFile_;
    QAction* recordAction_ = nullptr;
    QAction* exportAction_ = nullptr;
    QLabel* status_ = nullptr;
};
