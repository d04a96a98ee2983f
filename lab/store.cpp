#include "store.h"

#include "schema.h"

#include <ctime>

namespace lab {

Store::Store(const std::string &location, StoreOptions options)
    : db_(openDatabase(location)), options_(std::move(options))
{
    if (!options_.clock)
        options_.clock = [] { return static_cast<std::int64_t>(std::time(nullptr)); };
    if (options_.sliceSeconds < 1 || options_.idleSeconds < 1)
        throw StoreError("the time slice and the idle time must be at least a second");
    ensureSchema(*db_);
    accounts_ = std::make_unique<Accounts>(*this);
    queue_ = std::make_unique<BoardQueue>(*this);
    audit_ = std::make_unique<AuditLog>(*this);
}

Store::~Store() = default;

} // namespace lab
