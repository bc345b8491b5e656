#include "driver/ab_command.h"

#include "ab/disturbed_slices.h"
#include "ab/html_page.h"
#include "ab/json_output.h"
#include "ab/summary_text.h"
#include "ab/tables.h"
#include "driver/console.h"
#include "driver/exit_status.h"
#include "driver/option_reading.h"
#include "driver/output_choice.h"
#include "driver/output_file.h"
#include "output/csv_table.h"
#include "output/markdown_document.h"
#include "output/text_document.h"
#include "platform/interrupts.h"
#include "platform/progress_line.h"
#include "platform/terminal.h"
#include "text/formatted.h"
#include "text/printable.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace driver {
namespace {

using Seconds = std::chrono::duration<double>;

bool colour_wanted() { return platform::is_terminal(stdout) && std::getenv("NO_COLOR") == nullptr; }

std::string formatted_output(const ab::PairedComparison &comparison, OutputFormat format) {
  const output::Document document = ab::comparison_document(comparison);
  switch (format) {
  case OutputFormat::table:
    return output::text_document(document, colour_wanted());
  case OutputFormat::markdown:
    return output::markdown_document(document);
  case OutputFormat::csv:
    return output::csv_table(ab::csv_table(comparison));
  case OutputFormat::json:
    return ab::json_output(comparison);
  }
  return {};
}

// A file that cannot be written is found before the first slice, not after
// the last: one is made beside it, and removed.
bool can_write(const std::string &path, const char *what) {
  if (path.empty() || path == "-") {
    return true;
  }
  OutputFile probe(path, what);
  if (!probe.ready()) {
    write_error(probe.failure());
    return false;
  }
  return true;
}

bool make_directory(const std::string &path) {
  if (path.empty()) {
    return true;
  }
  std::error_code error;
  std::filesystem::create_directories(path, error);
  if (error || !std::filesystem::is_directory(path, error)) {
    write_error("megawhets: cannot keep the slices' records in " + text::quoted(path) + ": " +
                (error ? error.message() : std::string("it is not a directory")) + "\n");
    return false;
  }
  return true;
}

// A folder of records is read whole by compare: one that holds another
// comparison's records would mix the two.
bool holds_files(const std::string &path) {
  std::error_code error;
  return !path.empty() && std::filesystem::is_directory(path, error) &&
         std::filesystem::directory_iterator(path, error) != std::filesystem::directory_iterator();
}

// A slice's record as its program wrote it, named by its round and
// program: round-0007-B.json.
bool keep_record(const std::string &directory, const ab::Slice &slice, std::string_view text) {
  const std::string number = std::to_string(slice.round);
  const std::string name = "round-" + std::string(number.size() < 4 ? 4 - number.size() : 0, '0') + number +
                           "-" + (slice.program == 0 ? "A" : "B") + ".json";
  return write_whole_file((std::filesystem::path(directory) / name).string(), std::string(text),
                          "the slice's record");
}

// B slower than A by at least the threshold, or an answer resting on
// disturbed slices (ab/disturbed_slices.h).
bool strict_failure(const ab::PairedComparison &comparison) { return ab::fails_strict(comparison); }

int refused(const ab::RunResult &result) {
  if (!result.message.empty()) {
    write_error("megawhets: " + result.message + "\n");
  }
  switch (result.ending) {
  case ab::RunEnding::self_check_failed:
    return arithmetic_differs;
  case ab::RunEnding::not_megawhets:
  case ab::RunEnding::no_duet:
    return bad_usage;
  default:
    return run_failed;
  }
}

} // namespace

int ab_command(const AbOptions &options) {
  const OutputChoice &outputs = options.outputs;
  if (const std::string refused = refused_outputs(
          outputs, {{options.request.names[0], "PROGRAM_A"}, {options.request.names[1], "PROGRAM_B"}},
          {{"--records", options.records_path}});
      !refused.empty()) {
    write_error(refused);
    return bad_usage;
  }
  if (holds_files(options.records_path)) {
    write_error("megawhets: option '--records " + text::printable(options.records_path) +
                "' names a folder that already holds files, which compare would read with this comparison's "
                "records: give a new or empty folder\n");
    return bad_usage;
  }
  if (!can_write(outputs.json_path, "the comparison") || !can_write(outputs.html_path, "the page") ||
      !make_directory(options.records_path)) {
    return run_failed;
  }
  // An interrupt ends the running slices here, and the rounds that finished
  // are still answered.
  platform::defer_interrupts();
  const bool progress = platform::is_terminal(stderr);
  const auto start = std::chrono::steady_clock::now();
  ab::RunHooks hooks;
  if (progress) {
    hooks.after_round = [&](const ab::PairedComparison &comparison, const ab::Answer &answer) {
      platform::show_progress(
          ab::progress_line(comparison, answer, Seconds(std::chrono::steady_clock::now() - start).count()));
    };
  }
  if (!options.records_path.empty()) {
    hooks.keep_record = [&](const ab::Slice &slice, std::string_view text) {
      return keep_record(options.records_path, slice, text);
    };
  }
  const ab::RunResult result = ab::run_comparison(options.request, hooks);
  if (progress) {
    platform::clear_progress();
  }
  const ab::PairedComparison &comparison = result.comparison;
  const bool answered =
      result.ending == ab::RunEnding::answered || result.ending == ab::RunEnding::program_failed;
  if (!answered) {
    return refused(result);
  }
  if (result.ending == ab::RunEnding::program_failed) {
    write_error("megawhets: " + result.message + "\n");
  }
  const std::string table = formatted_output(comparison, outputs.format);
  // An interrupted comparison leaves the files as they were.
  if (comparison.interrupted) {
    write_table(table, standard_output_taken(outputs), "the comparison");
    write_error(
        "megawhets: the comparison was interrupted" +
        (goes_to_a_file(outputs.json_path) ? "; " + text::quoted(outputs.json_path) + " keeps what it held"
                                           : std::string()) +
        (goes_to_a_file(outputs.html_path) ? "; " + text::quoted(outputs.html_path) + " keeps what it held"
                                           : std::string()) +
        "\n");
    return run_failed;
  }
  const std::string json = outputs.json_path.empty() ? std::string() : ab::json_output(comparison);
  std::string page;
  if (!outputs.html_path.empty()) {
    page = ab::html_page(comparison, ab::comparison_document(comparison));
  }
  const bool written =
      write_documents(outputs, {.table = table, .json = json, .page = page, .what = "the comparison"});
  if (!written) {
    return run_failed;
  }
  if (result.ending == ab::RunEnding::program_failed) {
    return run_failed;
  }
  return options.strict && strict_failure(comparison) ? warned_under_strict : completed;
}

} // namespace driver
