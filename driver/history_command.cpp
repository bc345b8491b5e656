#include "driver/history_command.h"

#include "driver/console.h"
#include "driver/exit_status.h"
#include "driver/option_reading.h"
#include "driver/output_choice.h"
#include "history/history_json.h"
#include "history/history_page.h"
#include "history/history_tables.h"
#include "history/run_time.h"
#include "output/markdown_document.h"
#include "output/text_document.h"
#include "platform/terminal.h"
#include "record/record_sources.h"
#include "record/timestamp.h"
#include "text/formatted.h"
#include "text/printable.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace driver {
namespace {

std::string count_of(std::size_t count, const char *one, const char *many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// Every record the arguments lead to, stored in one transaction: all of them
// or, if the store fails, none. What is not a record is named, as compare
// names it, and fails the command once the rest are stored. The history is
// opened at the first record, so that arguments that hold none make no file.
int add_records(const HistoryOptions &options) {
  std::optional<history::Store> store;
  std::optional<history::Store::Transaction> transaction;
  std::size_t stored = 0;
  std::size_t already = 0;
  std::size_t unstored = 0;
  bool unreadable = false;
  record::read_sources(options.records, [&](const record::TextRead &read) {
    if (read.run && !history::seconds_of(read.run->started_at.str())) {
      unreadable = true;
      write_error("megawhets: " + record::source_name(read.source) + ": not stored, as its started_at '" +
                  text::printable(read.run->started_at.str()) +
                  "' is not a time in UTC as records write it, such as 2026-03-03T02:00:00Z, and would be "
                  "ordered and filtered wrongly\n");
      return;
    }
    if (read.run) {
      if (!transaction) {
        store.emplace(options.database, history::Store::Access::write);
        transaction.emplace(*store);
      }
      (transaction->add(history::stored_text(read.text), *read.run) ? stored : already) += 1;
      return;
    }
    const std::string source = record::source_name(read.source);
    if (record::spoils_comparison(read.problem)) {
      unreadable = true;
      write_error("megawhets: " + source + ": " + text::printable(read.message) + "\n");
    } else if (read.problem == record::ProblemKind::not_comparable) {
      ++unstored;
      write_error("megawhets: " + source +
                  ": not stored, as it has no figures for a trend: " + text::printable(read.message) + "\n");
    } else {
      write_error("megawhets: " + source + ": " + text::printable(read.message) + "\n");
    }
  });
  if (transaction) {
    transaction->commit();
  }
  write_error(
      "megawhets: " + count_of(stored, "record", "records") + " stored in " + text::quoted(options.database) +
      (already > 0 ? ", " + count_of(already, "was", "were") + " there already" : std::string()) +
      (unstored > 0 ? ", " + count_of(unstored, "had", "had") + " no figures" : std::string()) + "\n");
  return unreadable ? run_failed : completed;
}

// The records' text as it was stored, which --json wrote.
int export_records(const HistoryOptions &options) {
  history::Store store(options.database, history::Store::Access::read);
  bool written = true;
  store.for_each_record(options.filter, [&](std::string_view text) {
    written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
    return written;
  });
  if (!written || std::fflush(stdout) != 0) {
    write_error(std::string("megawhets: cannot write the records: ") + std::strerror(errno) + "\n");
    return run_failed;
  }
  return completed;
}

// Colour only for a person at a terminal who has not asked for none.
bool colour_wanted() { return platform::is_terminal(stdout) && std::getenv("NO_COLOR") == nullptr; }

std::string formatted_output(const history::HistoryView &view, OutputFormat format) {
  switch (format) {
  case OutputFormat::table:
    return output::text_document(
        history::history_document(history::history_tables(view), view.settings.fleet), colour_wanted());
  case OutputFormat::markdown:
    return output::markdown_document(
        history::history_document(history::history_tables(view), view.settings.fleet));
  case OutputFormat::csv:
    return history::history_csv(view);
  case OutputFormat::json:
    return history::history_json(view);
  }
  return {};
}

int show_trends(const HistoryOptions &options) {
  history::Store store(options.database, history::Store::Access::read);
  const history::SeriesSource source{
      .series = [&] { return store.series(options.filter); },
      .runs = [&](const history::Series &series) { return store.runs(series, options.filter); }};
  // A day's grace for clocks a little ahead, or a zone taken for UTC.
  history::ViewSettings settings = options.settings;
  settings.trend.future_after =
      record::rfc3339_utc(std::chrono::system_clock::now() + std::chrono::hours(24));
  const history::HistoryView view = history::history_view(source, settings);
  if (const std::string future = history::future_runs_sentence(view); !future.empty()) {
    write_error("megawhets: warning: " + text::printable(future) + "\n");
  }
  const std::string page = options.outputs.html_path.empty()
                               ? std::string()
                               : history::history_page(view, history::history_tables(view), source);
  const bool written = write_documents(
      options.outputs,
      {.table = formatted_output(view, options.outputs.format), .page = page, .what = "the history"});
  if (!written) {
    return run_failed;
  }
  return options.strict && history::strict_failure(view) ? warned_under_strict : completed;
}

} // namespace

int history_command(const HistoryOptions &options) {
  std::vector<NamedInput> inputs{{options.database, "the history"}};
  for (const std::string &record : options.records) {
    inputs.push_back({record, "a record to add"});
  }
  const std::string clash = refused_outputs(options.outputs, inputs);
  if (!clash.empty()) {
    write_error(clash);
    return bad_usage;
  }
  try {
    switch (options.action) {
    case HistoryAction::add:
      return add_records(options);
    case HistoryAction::export_records:
      return export_records(options);
    case HistoryAction::trends:
      return show_trends(options);
    }
  } catch (const history::StoreError &error) {
    write_error("megawhets: " + std::string(error.what()) + "\n");
  }
  return run_failed;
}

} // namespace driver
