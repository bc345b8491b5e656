#include "driver/history_destination.h"

#include "driver/console.h"
#include "history/store.h"
#include "record/json_record.h"
#include "record/record_reader.h"
#include "text/formatted.h"
#include "text/printable.h"

#include <optional>

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
  // the file --json wrote for it are one record, indexed alike.
  std::optional<record::RecordedRun> stored;
  std::string text;
  std::string why = "it holds nothing";
  record::read_records(record::record_json(run), record::Text("the run's record"),
                       [&](const record::TextRead &read) {
                         if (read.run && !stored) {
                           stored = *read.run;
                           text = history::stored_text(read.text);
                         } else if (!read.run) {
                           why = text::printable(read.message);
                         }
                       });
  if (!stored) {
    write_error("megawhets: the run's record is not stored in '" + text::printable(path_) +
                "', as it has no figures for a trend: " + why + "\n");
    return true;
  }
  try {
    history::Store store(path_, history::Store::Access::write);
    history::Store::Transaction transaction(store);
    transaction.add(text, *stored);
    transaction.commit();
    return true;
  } catch (const history::StoreError &error) {
    write_error("megawhets: the run's record was not stored: " + std::string(error.what()) + "\n");
    return false;
  }
}

} // namespace driver
