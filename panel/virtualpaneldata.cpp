#include "panel/virtualpaneldata.h"

VirtualPanelData::VirtualPanelData(QObject* parent) : QObject(parent) {}

bool VirtualPanelData::load(QString fileName)
{
    if (block.loadFile(fileName))
        return true;
    // -257: the file could not be opened; the block keeps the last panel read.
    if (reportFailure)
        reportFailure(-257);
    return false;
}
