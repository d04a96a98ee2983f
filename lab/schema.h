// The lab database's tables, created on first open and numbered, so that a later version of the
// server knows what it finds.
#pragma once
#include "database.h"

namespace lab {

constexpr int kSchemaVersion = 1;

// Creates the tables when missing; throws StoreError for a database of a newer version.
void ensureSchema(Database &db);

} // namespace lab
