#include "panel/virtualpaneldata.h"

#include "board/errormessage.h"

#include <vestrix.h>

VirtualPanelData::VirtualPanelData(QObject* parent) : QObject(parent) {}

bool VirtualPanelData::load(QString fileName)
{
    if (block.loadFile(fileName))
        return true;
    // The block keeps the last panel read.
    ErrorMessage::showResult(VESTRIX_FILE_OPEN_FAILED);
    return false;
}
