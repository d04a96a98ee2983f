// The test-vector reader: any bytes, with and without a panel's limits. A table it accepts
// must be one the runner can use without further checks.
#include "vector_table.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

void checkTable(const cli::VectorTable &t, const cli::PanelInventory *panel)
{
    check(!t.columns.empty() && !t.rows.empty());
    for (const cli::Column &c : t.columns) {
        const bool count = c.kind == cli::Column::Cycles || c.kind == cli::Column::WaitMs; // no register bits
        check(c.kind == cli::Column::Cpu ? c.cpuBits >= 1 && c.cpuBits <= cli::kMaxCpuBits
              : count                    ? c.bits.empty()
                                         : !c.bits.empty() && c.bits.size() <= 36);
        for (int b : c.bits)
            check(b >= 0 && b < 36);
        if (panel && c.kind == cli::Column::Cpu)
            check(c.cpuBits <= panel->cpuBits);
    }
    for (const cli::Row &r : t.rows) {
        check(r.cells.size() == t.columns.size() && r.line > 0);
        for (size_t i = 0; i < r.cells.size(); ++i) {
            const cli::Column &c = t.columns[i];
            const cli::Cell &cell = r.cells[i];
            check(cell.kind != cli::Cell::DontCare || !c.input());
            check(cell.kind != cli::Cell::Pulse || (c.kind == cli::Column::Key && c.bits.size() == 1));
            if (cell.kind == cli::Cell::Value && c.kind == cli::Column::Cpu)
                check(cell.wide.size() == size_t((c.cpuBits + 7) / 8));
            if (cell.kind == cli::Cell::Value && c.kind == cli::Column::Cycles)
                check(cell.value <= cli::kMaxCycles);
            else if (cell.kind == cli::Cell::Value && c.kind == cli::Column::WaitMs)
                check(cell.value <= cli::kMaxWaitMs);
            else if (cell.kind == cli::Cell::Value && c.kind != cli::Column::Cpu && c.kind != cli::Column::Digit)
                check(c.width() >= 64 || cell.value < (uint64_t(1) << c.width()));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    cli::PanelInventory panel;
    for (size_t i = 0; i < 8; ++i)
        panel.switches[i] = panel.red[i] = panel.green[i] = panel.digits[i] = true;
    panel.keys[0] = true;
    panel.cpuBits = 16;
    const cli::PanelInventory *const panels[] = {nullptr, &panel};
    for (const cli::PanelInventory *p : panels) {
        cli::VectorTable table;
        cli::VectorError error;
        if (cli::readVectorTable(text, p, table, error))
            checkTable(table, p);
        else
            check(error.kind != cli::VectorError::None);
    }
    return 0;
}
