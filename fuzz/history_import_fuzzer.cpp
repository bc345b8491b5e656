// Feeds arbitrary bytes to the history's import, as `history add` takes a
// file of records, into a history in memory, and holds the history to what
// it promises: each run it stores once, however often its record comes and
// in whatever text, and the text it first came in comes back byte for byte;
// whatever else the bytes hold is named and left out.

#include "history/store.h"
#include "record/record_reader.h"

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace {

void require(bool holds, const char *what) {
  if (!holds) {
    std::fprintf(stderr, "history_import_fuzzer: %s\n", what);
    std::abort();
  }
}

// What the history knows a run by: its series, its start and its figures.
using Identity = std::tuple<std::string, std::string, std::string, unsigned, std::string, std::string, std::string,
                            std::string, unsigned, std::string, std::uint64_t, std::uint64_t>;

// A figure as the store compares it: -0 is 0.
std::uint64_t figure_bits(double figure) { return std::bit_cast<std::uint64_t>(figure == 0.0 ? 0.0 : figure); }

Identity identity_of(const record::RecordedRun &run) {
  return {run.host_name.str(),        run.label.value_or(record::Text()).str(),
          run.processor_model.str(),  run.processors,
          run.compiler.str(),         run.compiler_version.str(),
          run.flags.str(),            run.architecture.str(),
          run.copies,                 run.started_at.str(),
          figure_bits(run.steady),    figure_bits(run.rate)};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char *>(data), size);
  history::Store store(":memory:", history::Store::Access::write);
  history::Store::Transaction transaction(store);
  std::set<std::string> stored;
  std::set<Identity> runs;
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
    require(added == runs.insert(identity_of(*read.run)).second, "a run is stored twice, or a new one not at all");
    if (added) {
      stored.insert(record);
    }
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
