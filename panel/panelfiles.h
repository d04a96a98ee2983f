#pragma once
// Panel files: Open, Save and Save as, and the readers and writers that move a panel between
// the widgets and the widget-free .jvp, .vpl and .vp2 cores.
#include <QMultiMap>
#include <QObject>
#include <QString>
#include <QTextStream>

#include <functional>

#include "panel_document.h"

class ComponentTables;
class PanelModel;
class QPushButton;
class QWidget;
class VirtualPanelData;

class PanelFiles : public QObject {
    Q_OBJECT
public:
    // Dialogs and warnings open over window.
    PanelFiles(PanelModel* panel, ComponentTables* tables, QWidget* window);

    // Shows a library result code in the program's words; handed in by the board side, used
    // when a .vpl file cannot be read.
    void setResultReporter(std::function<void(int code)> report);

    // Asks to save unsaved changes, then for a panel file, and reads it; false when the
    // question or the dialog was cancelled or the file was refused.
    bool onOpenPanel();
    // Reads a chosen file into the panel (the steps after Open's dialog); a file that cannot be
    // read is reported and leaves the panel as it was (false).
    bool loadPanelFile(const QString& fileName);
    void readVPjson(QString fileName);
    void readVPL(QString fileName, QString filePath, QString baseName);
    void readVP2(QString fileName, QString filePath);
    void saveByjson(QString fiName);
    void savePanelInfo(QString fiName);
    void saveing(QTextStream& out, QPushButton* btn, QMultiMap<QPushButton*, QString>& mapI);
    void saveorSaveAs();
    void saveAs();
    // A panel built from the settings dialog is saved as a new .jvp file.
    void beginNewPanel();

    QString filePath() const { return filePath_; }

    // The panel as a picture (panel/panel_picture.cpp): saved as a PNG chosen in a dialog, or put
    // on the clipboard.
    void exportPicture();
    void copyPicture();
    QString fileKind() const { return fileKind_; }
    QString savePath() const { return savePath_; }
    QString lastDirectory() const { return lastDirectory_; }
    QString openedFileName() const { return openedFileName_; }
    bool isNewPanel() const { return isNewPanel_; }
    // Whether the last save command wrote its file.
    bool lastWriteOk() const { return lastWriteOk_; }
    // Before the panel is discarded: asks to save unsaved changes. False when the user
    // cancelled, or chose Save and the panel was not written.
    bool maySaveChanges();
    // The record of the last .vpl file read.
    const VirtualPanelData* panelData() const { return panelData_; }
    // Where the panel came from, as Open leaves it: the file's kind ("jvp", "vpl" or "vp2"),
    // its path, the name Save offers, and whether it is a new panel.
    void setOrigin(const QString& kind, const QString& filePath, const QString& savePath, bool isNew);

private:
    // Writes a finished file in one step; a failure (not a cancelled dialog) is shown with the name.
    bool writePanelFile(const QString& fiName, const QByteArray& bytes);
    QString defaultSaveName();
    bool warnNothingToSave();
    void warnMissingBackground(const QString& pictureName, const QString& directory);
    // After a successful save the written file is the panel's file.
    void adoptSavedFile(const QString& fiName, const QString& kind);
    bool readJvpFile(const QString& fileName, panelfile::Document& doc, panelfile::Geometry& g, QString* problem);
    void applyJvp(panelfile::Document& doc, const panelfile::Geometry& g);
    bool refuseUnreadable(const QString& fileName, const QString& problem);

    PanelModel* panel_;
    ComponentTables* tables_;
    QWidget* window_;
    VirtualPanelData* panelData_;
    QString filePath_, fileKind_, savePath_ = QStringLiteral("D:/"), lastDirectory_ = QStringLiteral("../");
    QString openedFileName_; // the last file chosen in the open dialog
    bool isNewPanel_ = false;
    bool lastWriteOk_ = false;
};
