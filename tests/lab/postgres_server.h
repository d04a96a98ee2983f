// A real PostgreSQL server for the tests: initdb into a temporary directory and postgres on a
// unix socket there, started on first use, one per test process, a new database per test.
// Stopped and removed when the process's tests end.
#pragma once
#include <string>

namespace labtest {

// A postgresql:// URL of a new, empty database; empty with the reason in `why` when the
// server binaries are missing or the server would not start.
std::string newPostgresDatabase(std::string &why);

// A directory of our own under the system's temporary directory; removeTempDir takes it away.
std::string makeTempDir();
void removeTempDir(const std::string &dir);

} // namespace labtest
