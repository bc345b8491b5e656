// Feeds arbitrary bytes to the history's import, as `history add` takes a
// file of records, into a history in memory, and holds the history to what
// it promises: every record it stores comes back byte for byte, once, and
// reads back as the run it was stored as; whatever else the bytes hold is
// named and left out.

#include "history/store.h"
#include "record/record_reader.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

void require(bool holds, const char *what) {
  if (!holds) {
    std::fprintf(stderr, "history_import_fuzzer: %s\n", what);
    std::abort();
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char *>(data), size);
  history::Store store(":memory:", history::Store::Access::write);
  history::Store::Transaction transaction(store);
  std::set<std::string> stored;
  std::size_t records = 0;
  record::read_records(text, record::Text("fuzz.json"), [&](const record::TextRead &read) {
    ++records;
    if (!read.run) {
      return;
    }
    const std::string record = history::stored_text(read.text);
    require(read.text.data() >= text.data() && read.text.data() + read.text.size() <= text.data() + text.size(),
            "a record's text is not the file's own");
    const bool added = transaction.add(record, *read.run);
    require(added == stored.insert(record).second, "a text is stored twice, or a new one not at all");
  });
  transaction.commit();
  require(records <= size, "more records than bytes");
  require(store.record_count() == static_cast<std::int64_t>(stored.size()), "the history counts another number");
  std::set<std::string> exported;
  store.for_each_record({}, [&](std::string_view record) {
    require(exported.insert(std::string(record)).second, "export gives a record twice");
    return true;
  });
  require(exported == stored, "export does not give back what was stored");
  return 0;
}
