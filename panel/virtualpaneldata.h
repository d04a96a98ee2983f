#pragma once
// Holder of the last .vpl panel record read; the window keeps one for its lifetime.
#include "legacy_block.h"

#include <QObject>
#include <QString>

#include <functional>

class VirtualPanelData : public QObject {
    Q_OBJECT
public:
    explicit VirtualPanelData(QObject* parent = nullptr);

    // Reads the first 696 bytes of the file into the block. A file that cannot be
    // opened is reported through reportFailure (result code -257) and leaves the block as it was.
    bool load(QString fileName);

    std::function<void(int code)> reportFailure;

    panelfile::LegacyBlock block;
};
