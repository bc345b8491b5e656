#include "history/schema.h"

namespace history {
namespace {

// Version 1. A series is what a trend follows: one host with one processor,
// build, copies and label ('' for none, which a label never is). Runs are
// kept in a series' time order, so that a trend reads one stretch of the
// file; the records' text, the bulk of the file, lies apart from them, so
// that a scan of every trend never reads it.
constexpr const char *version_1 = R"sql(
CREATE TABLE series (
  id INTEGER PRIMARY KEY,
  host TEXT NOT NULL,
  processor_model TEXT NOT NULL,
  processors INTEGER NOT NULL,
  compiler TEXT NOT NULL,
  compiler_version TEXT NOT NULL,
  flags TEXT NOT NULL,
  architecture TEXT NOT NULL,
  copies INTEGER NOT NULL,
  label TEXT NOT NULL,
  UNIQUE (host, label, processor_model, processors, compiler, compiler_version, flags, architecture, copies)
);
CREATE TABLE records (
  id INTEGER PRIMARY KEY,
  sha256 BLOB NOT NULL UNIQUE,
  text TEXT NOT NULL
);
CREATE TABLE runs (
  series_id INTEGER NOT NULL REFERENCES series (id),
  started_at TEXT NOT NULL,
  record_id INTEGER NOT NULL REFERENCES records (id),
  steady REAL NOT NULL,
  rate REAL NOT NULL,
  warnings INTEGER NOT NULL,
  self_check_passed INTEGER NOT NULL,
  lowest_processor_share REAL,
  exit_status INTEGER NOT NULL,
  program_version TEXT NOT NULL,
  PRIMARY KEY (series_id, started_at, record_id)
) WITHOUT ROWID;
)sql";

constexpr const char *const steps[] = {version_1};

} // namespace

std::span<const char *const> schema_steps() { return steps; }

} // namespace history
