#pragma once
// Holder of the last .vpl panel record read; the window keeps one for its lifetime.
#include "legacy_block.h"

#include <QObject>
#include <QString>

class VirtualPanelData : public QObject
{
    Q_OBJECT
public:
    explicit VirtualPanelData(QObject* parent = nullptr);

    // Reads the first 696 bytes of the file into the block. A file that cannot be
    // opened is reported to the user (result code -257) and leaves the block as it was.
    bool load(QString fileName);

    panelfile::LegacyBlock block;
};
