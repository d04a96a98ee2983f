#include "panel_inventory.h"

#include "jvp_format.h"

#include <QFile>

namespace cli {

bool readPanelInventory(const QString &path, PanelInventory &inv)
{
    QFile file(path);
    panelfile::Document doc;
    if (!file.open(QIODevice::ReadOnly) || !panelfile::readJvp(file.readAll(), doc))
        return false;
    inv = PanelInventory();
    for (const panelfile::Entry &e : doc.entries) {
        std::vector<bool> *have = nullptr;
        switch (e.kind) {
        case panelfile::Kind::Switch: have = &inv.switches; break;
        case panelfile::Kind::Key: have = &inv.keys; break;
        case panelfile::Kind::RedLed: have = &inv.red; break;
        case panelfile::Kind::GreenLed: have = &inv.green; break;
        case panelfile::Kind::Digit: have = &inv.digits; break;
        case panelfile::Kind::DataSlot:
            if (e.bitWidth > 0)
                inv.cpuBits = std::min(inv.cpuBits + e.bitWidth, kMaxCpuBits);
            break;
        case panelfile::Kind::TextLabel: break;
        }
        if (have && e.index >= 0 && size_t(e.index) < have->size())
            (*have)[size_t(e.index)] = true;
    }
    return true;
}

} // namespace cli
