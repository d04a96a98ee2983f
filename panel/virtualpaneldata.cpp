#include "panel/virtualpaneldata.h"

VirtualPanelData::VirtualPanelData(QObject* parent) : QObject(parent) {}

bool VirtualPanelData::load(QString fileName)
{
    return block.loadFile(fileName);
}
