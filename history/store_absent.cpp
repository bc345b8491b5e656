#include "history/store.h"

// A build for a target without SQLite: every command that needs the store
// asks store_built() first and says that this build has none, so nothing
// below is reached.
namespace history {

bool store_built() { return false; }

struct Store::Connection {};

Store::Store(const std::string &path, Access) : path_(path) {
  throw StoreError("this build of megawhets has no history store");
}

Store::~Store() = default;

void Store::fail(const std::exception &error) const { throw StoreError(error.what()); }

Store::Transaction::Transaction(Store &store) : store_(store) {}
Store::Transaction::~Transaction() = default;
bool Store::Transaction::add(std::string_view, const record::RecordedRun &) { return false; }
void Store::Transaction::commit() {}
std::vector<Series> Store::series(const Filter &) { return {}; }
std::vector<StoredRun> Store::runs(const Series &, const Filter &) { return {}; }
void Store::for_each_record(const Filter &, const std::function<bool(std::string_view)> &) {}
std::int64_t Store::record_count() { return 0; }

} // namespace history
