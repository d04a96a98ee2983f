// What a .jvp panel carries, for checking a vector file's columns against it.
#pragma once
#include "vector_table.h"

#include <QString>

namespace cli {

bool readPanelInventory(const QString &path, PanelInventory &inventory);

} // namespace cli
