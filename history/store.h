#pragma once

#include "history/series.h"
#include "record/recorded_run.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// The history store: every record kept whole, byte for byte, in one SQLite
// file, with what a trend needs of it (the keys a comparison groups by, the
// time, the figures, the warnings and the self-check) beside it. A record is
// kept once, however often it is given, by the SHA-256 of its text.
namespace history {

// Whether this build has the store: builds for a target without SQLite (the
// cross and Windows builds, the static archives) have every command's
// analysis but not the store, and say so.
bool store_built();

// Why a file cannot be used as a history, in one line that names it; the
// file is then as it was.
class StoreError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Which runs a command takes: all of them unless narrowed.
struct Filter {
  std::optional<std::string> host{};
  std::optional<std::string> label{};
  std::string since{}; // runs started at or after this RFC 3339 time; empty for no bound
  std::string until{}; // runs started before this RFC 3339 time; empty for no bound
};

// The text a record is stored as: its JSON text as the file holds it, from
// its first byte to its last, and the line break --json ends it with, so
// that a run stored by --db and the file --json wrote for it are one record.
inline std::string stored_text(std::string_view json_text) { return std::string(json_text) + "\n"; }

class Store {
public:
  // Opens the history at `path`. For writing it is made if missing or an
  // empty file, and brought up to this program's schema; for reading it must
  // exist. Throws StoreError for a file that is not a history (not an SQLite
  // database, a corrupt one, another program's, or one written by a newer
  // megawhets), never changing it.
  enum class Access { read, write };
  Store(const std::string &path, Access access);
  ~Store();
  Store(const Store &) = delete;
  Store &operator=(const Store &) = delete;

  // Records stored together or not at all: what was added is kept only by
  // commit(), and dropped if the transaction ends without one. Other
  // writers wait until it ends.
  class Transaction {
  public:
    explicit Transaction(Store &store);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    // Stores a record's text as it was written, with what the reader read
    // of it. False when a record of the very same text is stored already.
    bool add(std::string_view text, const record::RecordedRun &run);
    void commit();

  private:
    Store &store_;
    bool open_ = true;
  };

  // The series the filter's host and label allow, by host, then label,
  // processor, build and copies.
  std::vector<Series> series(const Filter &filter);
  // A series' runs within the filter's times, in the order they started.
  std::vector<StoredRun> runs(const Series &series, const Filter &filter);
  // Each record's text, series by series as series() gives them, each in
  // the order its runs started, until `take` returns false.
  void for_each_record(const Filter &filter, const std::function<bool(std::string_view)> &take);
  std::int64_t record_count();

  struct Connection;

private:
  // Turns SQLite's error into one naming the file and saying whether it
  // was left as it was.
  [[noreturn]] void fail(const std::exception &error) const;

  std::string path_;
  std::unique_ptr<Connection> connection_;
};

} // namespace history
