// megawhets: asks for an inner and an outer loop count, times two passes of
// the workload (the second with twice the inner count) and reports how long
// each took, the rate achieved, and how far the second pass departs from
// twice the first. What produced the figures, and anything that disturbed
// them, goes to standard error once the report is complete. Options add a
// record of the run, counts chosen by a probe, and a strict verdict.

#include "auto_counts/count_choice.h"
#include "auto_counts/probe.h"
#include "driver/arguments.h"
#include "driver/build.h"
#include "driver/console.h"
#include "driver/context_line.h"
#include "driver/count_reader.h"
#include "driver/exit_status.h"
#include "driver/pass_outcome.h"
#include "driver/platform.h"
#include "driver/report.h"
#include "driver/timed_pass.h"
#include "driver/warnings.h"
#include "record/record_file.h"
#include "record/run_record.h"
#include "record/timestamp.h"
#include "self_check/state_check.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace {

using driver::PassFigures;
using driver::PassOutcome;
using driver::PassTiming;
using driver::RuleStyle;
using driver::RunOptions;

const char inner_prompt[] = "Number of inner loops (suggest more than 3): ";
const char outer_prompt[] = "Number of outer loops (suggest more than 1): ";

// The probe that chooses the counts takes at most this share of the time
// asked for.
constexpr double probe_share = 0.1;

// Writes the prompt and waits for the count; on failure the reason is on
// standard error and the run must end.
std::optional<std::int32_t> ask_count(const char *prompt, const char *count_name) {
  driver::write_output(prompt);
  if (!driver::flush_output()) {
    return std::nullopt;
  }
  const driver::CountReading reading = driver::read_count(stdin);
  if (reading.problem != driver::CountProblem::none) {
    driver::end_output_line_on_terminal();
    driver::write_error(driver::count_problem_message(count_name, reading));
    return std::nullopt;
  }
  return reading.value;
}

// A probe measures the machine and the counts follow from it; the dialogue
// shows each as if it had been typed.
record::Counts choose_counts(double seconds) {
  const auto chosen =
      auto_counts::choose_counts(auto_counts::seconds_per_unit(seconds * probe_share), seconds);
  driver::write_output(std::string(inner_prompt) + std::to_string(chosen.inner) + "\n" + outer_prompt +
                       std::to_string(chosen.outer) + "\n");
  return {chosen.inner, chosen.outer, seconds};
}

std::optional<record::Counts> read_counts(const RunOptions &options) {
  if (options.auto_seconds) {
    return choose_counts(*options.auto_seconds);
  }
  const auto inner = ask_count(inner_prompt, "inner loop count");
  if (!inner) {
    return std::nullopt;
  }
  const auto outer = ask_count(outer_prompt, "outer loop count");
  if (!outer) {
    return std::nullopt;
  }
  return record::Counts{*inner, *outer, std::nullopt};
}

// The header and rule are pushed out before the clock starts, so the user
// sees which pass is running and no output falls inside the timed interval.
std::optional<PassOutcome> run_pass(int number, std::int32_t outer, std::int32_t inner, RuleStyle style) {
  driver::write_output(driver::pass_header(number, outer, inner));
  driver::write_rule_line(style);
  if (!driver::flush_output()) {
    return std::nullopt;
  }
  const PassTiming timing = driver::time_outer_iterations(outer, inner);
  const PassFigures figures{timing.elapsed,
                            driver::pass_rate(driver::work_units(inner, outer), timing.elapsed)};
  driver::write_output(driver::pass_results(figures));
  return PassOutcome{.number = number,
                     .outer = outer,
                     .inner = inner,
                     .timing = timing,
                     .figures = figures,
                     .steady = driver::steady_figures(timing.groups, inner)};
}

std::int32_t doubled(std::int32_t count) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(count) * 2U);
}

std::string context_line(const record::RunRecord &run) {
  return driver::context_line(driver::program_version(), driver::build_description(), run.machine);
}

// Where --json sent the record: a file, standard output, or nowhere.
class RecordDestination {
public:
  explicit RecordDestination(const std::string &path) : path_(path) {
    if (!path.empty() && path != "-") {
      file_.emplace(path);
    }
  }

  // A file that cannot be made fails the run before anything runs.
  bool ready() const {
    if (file_ && !file_->ready()) {
      driver::write_error(file_->failure());
      return false;
    }
    return true;
  }

  bool takes_standard_output() const { return path_ == "-"; }

  // False, with the reason on standard error, when the record could not be
  // written; the file, if any, is then as it was before the run.
  bool deliver(const record::RunRecord &run) {
    if (path_.empty()) {
      return true;
    }
    const std::string text = record::record_json(run);
    if (takes_standard_output()) {
      return driver::write_to_standard_output(text, "the run record");
    }
    if (!file_->commit(text)) {
      driver::write_error(file_->failure());
      return false;
    }
    return true;
  }

private:
  std::string path_;
  std::optional<record::RecordFile> file_;
};

// The run's verdict, recorded and returned as its exit status; a record
// that cannot be written makes the run a failure.
int conclude(record::RunRecord &run, RecordDestination &destination, driver::ExitStatus status) {
  run.exit_status = status;
  return destination.deliver(run) ? status : driver::run_failed;
}

int run(const RunOptions &options) {
  record::RunRecord run{.build = driver::this_build(),
                        .machine = driver::this_machine(),
                        .operating_system = driver::this_operating_system(),
                        .started_at = record::rfc3339_utc(std::chrono::system_clock::now()),
                        .exit_status = driver::completed};
  RecordDestination destination(options.record_path);
  if (!destination.ready()) {
    return driver::run_failed;
  }
  if (destination.takes_standard_output()) {
    driver::send_report_to_standard_error();
  }
  run.mismatch = self_check::check_known_states();
  if (run.mismatch) {
    driver::write_error(context_line(run) + self_check::mismatch_message(*run.mismatch));
    return conclude(run, destination, driver::arithmetic_differs);
  }
  run.counts = read_counts(options);
  if (!run.counts) {
    return driver::run_failed;
  }
  const RuleStyle style = driver::rule_style_for_report();
  const std::int32_t outer = run.counts->outer;
  const auto first = run_pass(1, outer, run.counts->inner, style);
  if (!first) {
    return driver::run_failed;
  }
  const auto second = run_pass(2, outer, doubled(run.counts->inner), style);
  if (!second) {
    return driver::run_failed;
  }
  driver::write_output(driver::comparison_block(first->figures, second->figures));
  driver::write_output(driver::advice(first->figures.elapsed + second->figures.elapsed));
  if (!driver::flush_output()) {
    return driver::run_failed;
  }
  driver::end_output_line_on_terminal();
  run.passes = {*first, *second};

  if (outer != 0) {
    const std::string when = "after pass 2 (inner count " + std::to_string(second->inner) + ")";
    run.mismatch = self_check::check_state_after(second->inner, when.c_str());
  }
  run.warnings = driver::pass_warnings(*first, *second, driver::processor_clock_step());
  std::string text = context_line(run);
  for (const driver::RunWarning &warning : run.warnings) {
    text += warning.text;
  }
  if (run.mismatch) {
    text += self_check::mismatch_message(*run.mismatch);
  }
  driver::write_error(text);
  return conclude(run, destination,
                  driver::exit_status({.arithmetic_checked_out = !run.mismatch,
                                       .strict = options.strict,
                                       .warnings = run.warnings.size()}));
}

int show(const std::string &text) {
  driver::write_output(text);
  return driver::flush_output() ? driver::completed : driver::run_failed;
}

} // namespace

int main(int argc, char **argv) {
  const driver::CommandLine command_line = driver::read_command_line(argc, argv);
  switch (command_line.request) {
  case driver::Request::help:
    return show(driver::usage());
  case driver::Request::version:
    return show(driver::version_text());
  case driver::Request::bad_argument:
    driver::write_error(driver::bad_argument_message(command_line));
    return driver::bad_usage;
  case driver::Request::run:
    break;
  }
  return run(command_line.options);
}
