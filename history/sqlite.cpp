#include "history/sqlite.h"

#include "text/formatted.h"

#include <sqlite3.h>

#include <cctype>
#include <limits>

namespace history {

void throw_sqlite_error(sqlite3 *database, int code) {
  const char *message = database != nullptr ? sqlite3_errmsg(database) : sqlite3_errstr(code);
  throw SqliteError(code & 0xff, message != nullptr ? message : sqlite3_errstr(code));
}

namespace {

void check(sqlite3 *database, int code) {
  if (code != SQLITE_OK) {
    throw_sqlite_error(database, code);
  }
}

int length_of(std::size_t size) {
  if (size > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
    throw SqliteError(SQLITE_TOOBIG, "a value is too large to store");
  }
  return static_cast<int>(size);
}

} // namespace

Statement::Statement(sqlite3 *database, std::string_view sql) : database_(database) {
  check(database_, sqlite3_prepare_v2(database_, sql.data(), length_of(sql.size()), &statement_, nullptr));
}

Statement::~Statement() { sqlite3_finalize(statement_); }

Statement::Statement(Statement &&other) noexcept : database_(other.database_), statement_(other.statement_) {
  other.statement_ = nullptr;
}

Statement &Statement::bind(int index, std::string_view text) {
  // An empty view may point nowhere, which SQLite would bind as NULL.
  const char *const bytes = text.data() != nullptr ? text.data() : "";
  check(database_, sqlite3_bind_text(statement_, index, bytes, length_of(text.size()), SQLITE_STATIC));
  return *this;
}

Statement &Statement::bind_blob(int index, const void *bytes, std::size_t size) {
  check(database_, sqlite3_bind_blob(statement_, index, bytes, length_of(size), SQLITE_STATIC));
  return *this;
}

Statement &Statement::bind(int index, double value) {
  check(database_, sqlite3_bind_double(statement_, index, value));
  return *this;
}

Statement &Statement::bind(int index, std::int64_t value) {
  check(database_, sqlite3_bind_int64(statement_, index, value));
  return *this;
}

Statement &Statement::bind_null(int index) {
  check(database_, sqlite3_bind_null(statement_, index));
  return *this;
}

bool Statement::step() {
  const int code = sqlite3_step(statement_);
  if (code == SQLITE_ROW) {
    return true;
  }
  if (code == SQLITE_DONE) {
    return false;
  }
  sqlite3_reset(statement_);
  throw_sqlite_error(database_, code);
}

void Statement::run() {
  while (step()) {
  }
  reset();
}

void Statement::reset() {
  sqlite3_reset(statement_);
  sqlite3_clear_bindings(statement_);
}

std::string_view Statement::text(int column) {
  const auto *bytes = reinterpret_cast<const char *>(sqlite3_column_text(statement_, column));
  const int size = sqlite3_column_bytes(statement_, column);
  return bytes == nullptr ? std::string_view() : std::string_view(bytes, static_cast<std::size_t>(size));
}

double Statement::real(int column) { return sqlite3_column_double(statement_, column); }

std::int64_t Statement::integer(int column) { return sqlite3_column_int64(statement_, column); }

bool Statement::is_null(int column) { return sqlite3_column_type(statement_, column) == SQLITE_NULL; }

namespace {

// The path as an SQLite URI with immutable=1, every byte but the plainest
// escaped, so that no '?' or '#' in a name is read as the URI's own.
std::string unchanging_uri(const std::string &path) {
  std::string uri = "file:";
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (std::isalnum(byte) != 0 || c == '/' || c == '.' || c == '-' || c == '_') {
      uri += c;
    } else {
      uri += text::formatted("%%%02X", byte);
    }
  }
  return uri + "?immutable=1";
}

} // namespace

Database::Database(const std::string &path, Mode mode) {
  int flags = SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_EXRESCODE;
  const bool reading = mode == Mode::read_only || mode == Mode::unchanging;
  flags |= reading ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
  flags |= mode == Mode::create ? SQLITE_OPEN_CREATE : 0;
  flags |= mode == Mode::unchanging ? SQLITE_OPEN_URI : 0;
  const std::string name = mode == Mode::unchanging ? unchanging_uri(path) : path;
  const int code = sqlite3_open_v2(name.c_str(), &database_, flags, nullptr);
  if (code != SQLITE_OK) {
    const std::string message = database_ != nullptr ? sqlite3_errmsg(database_) : sqlite3_errstr(code);
    sqlite3_close(database_);
    database_ = nullptr;
    throw SqliteError(code & 0xff, message);
  }
  // A history may come from anyone: its schema could hold triggers and views
  // that call functions with side effects, or change the schema itself. None
  // may, and no extension may be loaded; the program's own SQL needs none of
  // it.
  sqlite3_db_config(database_, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
  sqlite3_db_config(database_, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
  sqlite3_db_config(database_, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
}

Database::~Database() { sqlite3_close_v2(database_); }

void Database::execute(const char *sql) {
  check(database_, sqlite3_exec(database_, sql, nullptr, nullptr, nullptr));
}

std::int64_t Database::integer_of(const char *sql) {
  Statement statement(database_, sql);
  return statement.step() ? statement.integer(0) : 0;
}

void Database::wait_when_busy(int milliseconds) {
  check(database_, sqlite3_busy_timeout(database_, milliseconds));
}

std::int64_t Database::changes() { return sqlite3_changes64(database_); }

std::int64_t Database::last_inserted_row() { return sqlite3_last_insert_rowid(database_); }

} // namespace history
