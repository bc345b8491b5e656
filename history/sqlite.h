#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

// A thin hold on SQLite's C API: a connection and its statements that close
// themselves, errors as exceptions, and values that reach a statement only
// through its parameters, so that no text from outside ever becomes SQL.
namespace history {

class SqliteError : public std::runtime_error {
public:
  SqliteError(int code, const std::string &message) : std::runtime_error(message), code_(code) {}
  // SQLite's primary result code (SQLITE_CORRUPT, SQLITE_NOTADB, ...).
  int code() const { return code_; }

private:
  int code_;
};

class Statement {
public:
  Statement(sqlite3 *database, std::string_view sql);
  ~Statement();
  Statement(const Statement &) = delete;
  Statement &operator=(const Statement &) = delete;
  Statement(Statement &&other) noexcept;
  Statement &operator=(Statement &&) = delete;

  // Parameters are numbered from 1, as SQLite numbers them. SQLite reads
  // text and bytes where they are, so they must outlive the statement's run
  // (run() and reset() let go of them).
  Statement &bind(int index, std::string_view text);
  Statement &bind_blob(int index, const void *bytes, std::size_t size);
  Statement &bind(int index, double value);
  Statement &bind(int index, std::int64_t value);
  Statement &bind_null(int index);

  // True while the statement has a row to read; false once it is done.
  bool step();
  // Runs a statement that returns no rows, then readies it to run again.
  void run();
  // Readies it to run again with new values; the old ones are dropped.
  void reset();

  // Columns are numbered from 0. Text stays valid until the next step.
  std::string_view text(int column);
  double real(int column);
  std::int64_t integer(int column);
  bool is_null(int column);

private:
  sqlite3 *database_;
  sqlite3_stmt *statement_ = nullptr;
};

class Database {
public:
  // unchanging: read only, and taken to change under no one's hands, for a
  // file whose folder this process may not write into (where SQLite would
  // keep the shared memory a reader of a WAL file needs).
  enum class Mode { read_only, unchanging, read_write, create };
  Database(const std::string &path, Mode mode);
  ~Database();
  Database(const Database &) = delete;
  Database &operator=(const Database &) = delete;

  // Fixed SQL of the program's own, never text from outside.
  void execute(const char *sql);
  Statement prepare(std::string_view sql) { return Statement(database_, sql); }
  // The first column of the first row of fixed SQL, as an integer.
  std::int64_t integer_of(const char *sql);

  void wait_when_busy(int milliseconds);
  // Rows the last statement inserted, changed or deleted.
  std::int64_t changes();
  std::int64_t last_inserted_row();

private:
  sqlite3 *database_ = nullptr;
};

// The connection's last error as SQLite words it, with its code.
[[noreturn]] void throw_sqlite_error(sqlite3 *database, int code);

} // namespace history
