#include "history/store.h"

#include "history/record_hash.h"
#include "history/schema.h"
#include "history/sqlite.h"
#include "text/formatted.h"
#include "text/printable.h"

#include <sqlite3.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <system_error>
#include <tuple>

namespace history {

bool store_built() { return true; }

namespace {

// Writers wait this long for one another: a `history add` of a million
// records holds the history for well under a minute.
constexpr int busy_wait_milliseconds = 10 * 60 * 1000;

// Records of about 2 KiB each fill a 16 KiB page with little left over,
// where SQLite's usual 4 KiB page would hold one and waste half.
constexpr const char *page_size = "PRAGMA page_size = 16384";

// A series' identity by the handles of its texts (record/text.h), which a
// record read has already: found without copying a byte. No label is the
// empty label, as the series table keeps it.
using SeriesKey = std::tuple<record::Text, record::Text, record::Text, unsigned, record::Text, record::Text,
                             record::Text, record::Text, unsigned>;

SeriesKey key_of(const record::RecordedRun &run) {
  return {run.host_name,       run.label.value_or(record::Text()),
          run.processor_model, run.processors,
          run.compiler,        run.compiler_version,
          run.flags,           run.architecture,
          run.copies};
}

// The bounds of a filter's times; an empty one lets every run through.
constexpr const char *time_filter = "(?2 = '' OR started_at >= ?2) AND (?3 = '' OR started_at < ?3)";

} // namespace

struct Store::Connection {
  explicit Connection(const std::string &path, Database::Mode mode) : database(path, mode) {}

  Database database;
  std::map<SeriesKey, std::int64_t> series_ids{};
  std::optional<Statement> add_record{};
  std::optional<Statement> find_series{};
  std::optional<Statement> add_series{};
  std::optional<Statement> add_run{};
  std::optional<Statement> find_run{};
};

namespace {

// A file the history may be written into: SQLite's own, or an empty one.
bool is_empty_database(Database &database) {
  return database.integer_of("PRAGMA application_id") == 0 &&
         database.integer_of("PRAGMA user_version") == 0 &&
         database.integer_of("SELECT count(*) FROM sqlite_schema") == 0;
}

// Read in one transaction, so that a writer making the file a history at
// that moment is seen either not to have begun or to be done.
void check_origin(Database &database, const std::string &path) {
  database.execute("BEGIN");
  const std::int64_t id = database.integer_of("PRAGMA application_id");
  const std::int64_t version = database.integer_of("PRAGMA user_version");
  const bool empty = is_empty_database(database);
  database.execute("COMMIT");
  if (id != history_application_id && !empty) {
    throw StoreError(text::quoted(path) + " is an SQLite database of another program, not a megawhets history");
  }
  if (version > schema_version()) {
    throw StoreError(text::quoted(path) + " was written by a newer megawhets: its history is of version " +
                     std::to_string(version) + ", and this megawhets reads versions up to " +
                     std::to_string(schema_version()));
  }
}

// Brings the file up to this program's version, step by step, in one
// transaction, which a writer that started at the same moment waits for and
// then finds done.
void bring_up_to_date(Database &database) {
  if (database.integer_of("PRAGMA user_version") == schema_version()) {
    return;
  }
  if (is_empty_database(database)) {
    database.execute(page_size);
  }
  database.execute("BEGIN IMMEDIATE");
  try {
    const std::int64_t version = database.integer_of("PRAGMA user_version");
    const std::int64_t id = database.integer_of("PRAGMA application_id");
    if (version == 0 ? !is_empty_database(database) : id != history_application_id) {
      throw SqliteError(SQLITE_NOTADB, "not a megawhets history");
    }
    for (std::int64_t step = version; step < schema_version(); ++step) {
      database.execute(schema_steps()[static_cast<std::size_t>(step)]);
    }
    // Pragmas take no parameters; both figures are the program's own.
    database.execute(
        text::formatted("PRAGMA application_id = %lld", static_cast<long long>(history_application_id))
            .c_str());
    database.execute(
        text::formatted("PRAGMA user_version = %lld", static_cast<long long>(schema_version())).c_str());
    database.execute("COMMIT");
  } catch (...) {
    // The error that stopped the steps is the one to tell; SQLite may
    // already have ended the transaction over it.
    try {
      database.execute("ROLLBACK");
    } catch (const std::exception &) {
    }
    throw;
  }
}

// Viewing never writes, unless the history is of an earlier version, which
// is brought up to date first. Where its folder cannot be written (where
// SQLite keeps what readers of a WAL file share), it is read as a file
// that does not change.
std::unique_ptr<Store::Connection> reading_connection(const std::string &path) {
  for (const Database::Mode mode : {Database::Mode::read_write, Database::Mode::unchanging}) {
    try {
      auto connection = std::make_unique<Store::Connection>(path, mode);
      Database &database = connection->database;
      database.wait_when_busy(busy_wait_milliseconds);
      check_origin(database, path);
      if (is_empty_database(database)) {
        throw StoreError(text::quoted(path) + " holds no history yet: megawhets history add puts runs in it");
      }
      if (database.integer_of("PRAGMA user_version") != schema_version()) {
        if (mode == Database::Mode::unchanging) {
          throw StoreError(text::quoted(path) +
                           " is a history of an earlier version, which cannot be brought up to "
                           "date where its folder cannot be written");
        }
        bring_up_to_date(database);
      }
      return connection;
    } catch (const SqliteError &) {
      if (mode == Database::Mode::unchanging) {
        throw;
      }
    }
  }
  return nullptr;
}

// A history is a file of its own: a device, a pipe or a folder would take
// SQLite's journal beside it, or never answer.
void check_regular_file(const std::string &path, Store::Access access) {
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  if (access == Store::Access::read && !std::filesystem::exists(status)) {
    throw StoreError(text::quoted(path) + " does not exist");
  }
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
    throw StoreError(text::quoted(path) + " is not a regular file: a history is a file of its own");
  }
  // SQLite says only that it cannot open the file; the folder it would be
  // made in is what is missing.
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  if (access == Store::Access::write && !std::filesystem::exists(status) && !folder.empty() &&
      !std::filesystem::is_directory(folder, error)) {
    throw StoreError("the history " + text::quoted(path) + " cannot be made: its folder " +
                     text::quoted(folder.string()) + " does not exist");
  }
}

} // namespace

Store::Store(const std::string &path, Access access) : path_(path) {
  check_regular_file(path, access);
  try {
    if (access == Access::read) {
      connection_ = reading_connection(path);
      return;
    }
    connection_ = std::make_unique<Connection>(path, Database::Mode::create);
    Database &database = connection_->database;
    database.wait_when_busy(busy_wait_milliseconds);
    check_origin(database, path);
    bring_up_to_date(database);
    // Readers go on while a writer writes, and writers take turns.
    database.execute("PRAGMA journal_mode = WAL");
    // Enough of the file in memory that an import's index of hashes, a
    // page of which each record lands on at random, stays there.
    database.execute("PRAGMA cache_size = -65536");
  } catch (const StoreError &) {
    throw;
  } catch (const std::exception &error) {
    fail(error);
  }
}

Store::~Store() = default;

void Store::fail(const std::exception &error) const {
  const auto *sqlite = dynamic_cast<const SqliteError *>(&error);
  const int code = sqlite != nullptr ? sqlite->code() : SQLITE_ERROR;
  if (code == SQLITE_NOTADB) {
    throw StoreError(text::quoted(path_) + " is not a megawhets history: SQLite finds no database in it");
  }
  if (code == SQLITE_CORRUPT) {
    throw StoreError(text::quoted(path_) + " is a damaged SQLite database (" + text::printable(error.what()) + ")");
  }
  throw StoreError("the history " + text::quoted(path_) + " cannot be used: " + text::printable(error.what()));
}

Store::Transaction::Transaction(Store &store) : store_(store) {
  try {
    store_.connection_->database.execute("BEGIN IMMEDIATE");
  } catch (const std::exception &error) {
    open_ = false;
    store_.fail(error);
  }
}

Store::Transaction::~Transaction() {
  if (open_) {
    try {
      store_.connection_->series_ids.clear();
      store_.connection_->database.execute("ROLLBACK");
    } catch (const std::exception &) {
      // SQLite rolls back a transaction it could not end when the
      // connection closes, or when the file is next opened.
    }
  }
}

bool Store::Transaction::add(std::string_view text, const record::RecordedRun &run) {
  Connection &connection = *store_.connection_;
  Database &database = connection.database;
  try {
    if (!connection.add_record) {
      connection.add_record.emplace(
          database.prepare("INSERT OR IGNORE INTO records (sha256, text) VALUES (?1, ?2)"));
      connection.find_series.emplace(database.prepare(
          "SELECT id FROM series WHERE host = ?1 AND label = ?2 AND processor_model = ?3 AND processors = ?4 "
          "AND "
          "compiler = ?5 AND compiler_version = ?6 AND flags = ?7 AND architecture = ?8 AND copies = ?9"));
      connection.add_series.emplace(database.prepare(
          "INSERT INTO series (host, label, processor_model, processors, compiler, compiler_version, "
          "flags, architecture, copies) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)"));
      connection.add_run.emplace(database.prepare(
          "INSERT INTO runs (series_id, started_at, record_id, steady, rate, warnings, self_check_passed, "
          "lowest_processor_share, exit_status, program_version) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, "
          "?10)"));
      connection.find_run.emplace(database.prepare("SELECT 1 FROM runs WHERE series_id = ?1 AND started_at = "
                                                   "?2 AND steady = ?3 AND rate = ?4 LIMIT 1"));
    }
    const SeriesKey key = key_of(run);
    auto found = connection.series_ids.find(key);
    if (found == connection.series_ids.end()) {
      const auto bind_key = [&](Statement &statement) {
        statement.bind(1, std::get<0>(key).view())
            .bind(2, std::get<1>(key).view())
            .bind(3, std::get<2>(key).view());
        statement.bind(4, static_cast<std::int64_t>(std::get<3>(key))).bind(5, std::get<4>(key).view());
        statement.bind(6, std::get<5>(key).view())
            .bind(7, std::get<6>(key).view())
            .bind(8, std::get<7>(key).view());
        statement.bind(9, static_cast<std::int64_t>(std::get<8>(key)));
      };
      Statement &find = *connection.find_series;
      bind_key(find);
      std::int64_t id = find.step() ? find.integer(0) : 0;
      find.reset();
      if (id == 0) {
        bind_key(*connection.add_series);
        connection.add_series->run();
        id = database.last_inserted_row();
      }
      found = connection.series_ids.emplace(key, id).first;
    }
    const std::string started_at = run.started_at.str();
    // A run is known by its series, its start and its figures, not by its
    // text's bytes: the same record minified, indented again or with CRLF
    // line ends is the same run, and counting it twice would weigh it twice
    // in the trend.
    Statement &find_run = *connection.find_run;
    find_run.bind(1, found->second).bind(2, started_at).bind(3, run.steady).bind(4, run.rate);
    const bool known = find_run.step();
    find_run.reset();
    if (known) {
      return false;
    }
    const RecordHash hash = record_hash(text);
    connection.add_record->bind_blob(1, hash.data(), hash.size()).bind(2, text).run();
    if (database.changes() == 0) {
      return false;
    }
    const std::int64_t record_id = database.last_inserted_row();
    Statement &add_run = *connection.add_run;
    add_run.bind(1, found->second)
        .bind(2, started_at)
        .bind(3, record_id)
        .bind(4, run.steady)
        .bind(5, run.rate);
    add_run.bind(6, std::int64_t{run.warnings}).bind(7, std::int64_t{run.self_check_passed ? 1 : 0});
    if (std::isnan(run.lowest_processor_share)) {
      add_run.bind_null(8);
    } else {
      add_run.bind(8, run.lowest_processor_share);
    }
    add_run.bind(9, std::int64_t{run.exit_status}).bind(10, run.program_version.view()).run();
    return true;
  } catch (const std::exception &error) {
    store_.fail(error);
  }
}

void Store::Transaction::commit() {
  try {
    store_.connection_->database.execute("COMMIT");
    open_ = false;
    store_.connection_->series_ids.clear();
  } catch (const std::exception &error) {
    store_.fail(error);
  }
}

std::vector<Series> Store::series(const Filter &filter) {
  try {
    Statement statement =
        connection_->database.prepare("SELECT id, host, label, processor_model, processors, compiler, "
                                      "compiler_version, flags, architecture, "
                                      "copies FROM series "
                                      "WHERE (?1 IS NULL OR host = ?1) AND (?2 IS NULL OR label = ?2) "
                                      "ORDER BY host, label, processor_model, processors, compiler, "
                                      "compiler_version, flags, architecture, copies");
    if (filter.host) {
      statement.bind(1, *filter.host);
    }
    if (filter.label) {
      statement.bind(2, *filter.label);
    }
    std::vector<Series> found;
    while (statement.step()) {
      Series series{.id = statement.integer(0)};
      record::RecordedRun &identity = series.identity;
      identity.host_name = record::Text(statement.text(1));
      if (const std::string_view label = statement.text(2); !label.empty()) {
        identity.label = record::Text(label);
      }
      identity.processor_model = record::Text(statement.text(3));
      identity.processors = static_cast<unsigned>(statement.integer(4));
      identity.compiler = record::Text(statement.text(5));
      identity.compiler_version = record::Text(statement.text(6));
      identity.flags = record::Text(statement.text(7));
      identity.architecture = record::Text(statement.text(8));
      identity.copies = static_cast<unsigned>(statement.integer(9));
      found.push_back(std::move(series));
    }
    return found;
  } catch (const std::exception &error) {
    fail(error);
  }
}

std::vector<StoredRun> Store::runs(const Series &series, const Filter &filter) {
  try {
    Statement statement =
        connection_->database.prepare(std::string("SELECT started_at, steady, rate, warnings, "
                                                  "self_check_passed FROM runs WHERE series_id = ?1 AND ") +
                                      time_filter + " ORDER BY started_at, record_id");
    statement.bind(1, series.id).bind(2, filter.since).bind(3, filter.until);
    std::vector<StoredRun> runs;
    while (statement.step()) {
      runs.push_back({.started_at = std::string(statement.text(0)),
                      .steady = statement.real(1),
                      .rate = statement.real(2),
                      .warnings = static_cast<std::uint32_t>(statement.integer(3)),
                      .self_check_passed = statement.integer(4) != 0});
    }
    return runs;
  } catch (const std::exception &error) {
    fail(error);
  }
}

void Store::for_each_record(const Filter &filter, const std::function<bool(std::string_view)> &take) {
  const std::vector<Series> all = series(filter);
  try {
    Statement statement = connection_->database.prepare(
        std::string("SELECT records.text FROM runs JOIN records ON records.id = runs.record_id "
                    "WHERE runs.series_id = ?1 AND ") +
        time_filter + " ORDER BY started_at, record_id");
    for (const Series &series : all) {
      statement.bind(1, series.id).bind(2, filter.since).bind(3, filter.until);
      while (statement.step()) {
        if (!take(statement.text(0))) {
          return;
        }
      }
      statement.reset();
    }
  } catch (const StoreError &) {
    throw;
  } catch (const std::exception &error) {
    fail(error);
  }
}

std::int64_t Store::record_count() {
  try {
    return connection_->database.integer_of("SELECT count(*) FROM records");
  } catch (const std::exception &error) {
    fail(error);
  }
}

} // namespace history
