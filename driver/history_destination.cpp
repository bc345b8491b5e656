#include "driver/history_destination.h"

#include "driver/console.h"
#include "history/store.h"
#include "record/json_record.h"
#include "record/record_reader.h"
#include "report/formatted.h"

namespace driver {

bool HistoryDestination::ready() const {
  if (path_.empty()) {
    return true;
  }
  try {
    history::Store store(path_, history::Store::Access::write);
    return true;
  } catch (const history::StoreError &error) {
    write_error("megawhets: " + std::string(error.what()) + "\n");
    return false;
  }
}

bool HistoryDestination::deliver(const record::RunRecord &run) const {
  if (path_.empty()) {
    return true;
  }
  // Read back as `history add` reads a file, so that a run stored now and
  // one imported later are indexed alike.
  const std::string text = record::record_json(run);
  const std::vector<record::ReadRecord> read = record::read_records(text, "the run's record");
  if (read.size() != 1 || !read.front().run) {
    const std::string why = read.empty() ? std::string("it holds nothing") : report::printable(read.front().message);
    write_error("megawhets: the run's record is not stored in '" + report::printable(path_) +
                "', as it has no figures for a trend: " + why + "\n");
    return true;
  }
  try {
    history::Store store(path_, history::Store::Access::write);
    history::Store::Transaction transaction(store);
    transaction.add(text, *read.front().run);
    transaction.commit();
    return true;
  } catch (const history::StoreError &error) {
    write_error("megawhets: the run's record was not stored: " + std::string(error.what()) + "\n");
    return false;
  }
}

} // namespace driver
