#include "board/recording.h"

#include "board/boardworker.h"
#include "board/register_packing.h"
#include "board/runmode.h"
#include "board/virtualcomponentdata.h"
#include "ui/filedialog.h"
#include "ui/messagebox.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QMainWindow>
#include <QPainter>
#include <QSaveFile>
#include <QStatusBar>
#include <QSvgRenderer>

#include <algorithm>

#include <vcd_diagram.h>
#include <vcd_reader.h>
#include <vcd_recorder.h>

Recording::Recording(QMainWindow* window, RunMode* runMode) : QObject(window), window_(window), runMode_(runMode)
{
    status_ = new QLabel(window);
    status_->setObjectName(QStringLiteral("recordingStatus"));
    window->statusBar()->addPermanentWidget(status_);
    status_->hide();
}

Recording::~Recording()
{
    QString ignored;
    stop(&ignored);
}

void Recording::setActions(QAction* record, QAction* exportDiagram)
{
    recordAction_ = record;
    exportAction_ = exportDiagram;
    recordAction_->setCheckable(true);
    connect(record, &QAction::triggered, this, &Recording::turnRecording);
    connect(exportDiagram, &QAction::triggered, this, &Recording::exportDiagram);
    showState();
}

void Recording::turnRecording(bool on)
{
    QString why;
    if (on && !recording()) {
        const QString path = FileDialog::getSaveFileName(window_, tr("录制波形"), QFileInfo(lastFile_).absolutePath(),
                                                         tr("波形文件 (*.vcd)"));
        if (!path.isEmpty()) {
            const QString file = QFileInfo(path).suffix().isEmpty() ? path + QStringLiteral(".vcd") : path;
            if (!start(file, &why))
                warn(tr("无法录制到 %1：%2").arg(file, why));
        }
    } else if (!on && recording() && !stop(&why)) {
        warn(why);
    }
    showState();
}

bool Recording::start(const QString& path, QString* why)
{
    const VirtualComponentData* data = runMode_->boardData();
    const int cpuBits = board::dataSlotsFit(data->dataSlots()) ? board::dataSlotBits(data->dataSlots()) : 0;
    auto recorder = std::make_shared<brixo::VcdRecorder>();
    std::string error;
    if (!recorder->start(QFile::encodeName(path).toStdString(), cpuBits, error)) {
        *why = QString::fromStdString(error);
        return false;
    }
    recorder_ = recorder;
    path_ = path;
    runMode_->worker()->setStepObserver(recorder->subscriber());
    return true;
}

bool Recording::stop(QString* why)
{
    if (!recorder_)
        return true;
    // After this no step reaches the recorder, so the file can be finished here.
    runMode_->worker()->setStepObserver({});
    std::string error;
    const bool ok = recorder_->stop(error);
    recorder_.reset();
    if (!ok) {
        *why = tr("无法写入 %1：%2").arg(path_, QString::fromStdString(error));
        return false;
    }
    lastFile_ = path_;
    return true;
}

void Recording::showState()
{
    if (recordAction_)
        recordAction_->setChecked(recording());
    if (exportAction_)
        exportAction_->setEnabled(!lastFile_.isEmpty() && !recording());
    status_->setText(recording() ? tr("● 正在录制 %1").arg(QFileInfo(path_).fileName())
                                 : tr("波形已写入 %1").arg(QFileInfo(lastFile_).fileName()));
    status_->setVisible(recording() || !lastFile_.isEmpty());
}

void Recording::warn(const QString& text)
{
    QMessageBox box(QMessageBox::Warning, QCoreApplication::translate("MainWindow", "警告"), text, QMessageBox::Ok,
                    window_);
    MessageBox::exec(box);
}

QString Recording::panelSignals() const
{
    const VirtualComponentData* d = runMode_->boardData();
    QStringList out;
    const auto bus = [&out](const char* name, int count) {
        if (count == 1)
            out << QStringLiteral("%1[0]").arg(QLatin1String(name));
        else if (count > 1)
            out << QStringLiteral("%1[%2:0]").arg(QLatin1String(name)).arg(count - 1);
    };
    bus("sw", d->switchCount());
    bus("key", d->keyCount());
    bus("ledr", d->redLedCount());
    bus("ledg", d->greenLedCount());
    for (int i = 0; i < std::min(d->digitCount(), brixo::BoardLayout::digits); ++i)
        out << QStringLiteral("hex%1").arg(i);
    return out.join(QLatin1Char(','));
}

bool Recording::writeDiagram(const QString& vcd, const QString& out, QString* why) const
{
    brixo::VcdData data;
    std::string error;
    std::vector<brixo::DiagramTrace> traces;
    if (!brixo::readVcdFile(QFile::encodeName(vcd).toStdString(), data, error)) {
        *why = QString::fromStdString(error);
        return false;
    }
    // A recording holds CPU data when the panel had data slots; a panel of nothing shows all.
    QString chosen = panelSignals();
    if (!chosen.isEmpty() && data.find("cpu_data"))
        chosen += QStringLiteral(",cpu_data");
    if (!brixo::diagramTraces(data, chosen.toStdString(), traces, error)) {
        *why = QString::fromStdString(error);
        return false;
    }
    const QByteArray svg = QByteArray::fromStdString(brixo::timingDiagramSvg(data, traces));
    QSaveFile file(out);
    bool written = file.open(QIODevice::WriteOnly);
    if (QFileInfo(out).suffix().compare(QLatin1String("png"), Qt::CaseInsensitive) == 0) {
        QSvgRenderer renderer(svg);
        QImage image(renderer.defaultSize(), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        renderer.render(&painter);
        painter.end();
        written = written && image.save(&file, "PNG");
    } else {
        written = written && file.write(svg) == svg.size();
    }
    if (!written || !file.commit()) {
        *why = tr("无法写入 %1").arg(out);
        return false;
    }
    return true;
}

void Recording::exportDiagram()
{
    if (lastFile_.isEmpty() || recording())
        return;
    const QString out = FileDialog::getSaveFileName(window_, tr("导出时序图"), QFileInfo(lastFile_).absolutePath(),
                                                    tr("SVG 图 (*.svg);;PNG 图 (*.png)"));
    QString why;
    if (!out.isEmpty() && !writeDiagram(lastFile_, out, &why))
        warn(why);
}
