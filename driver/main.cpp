// megawhets: asks for an inner and an outer loop count, times two passes of
// the workload (the second with twice the inner count) and reports how long
// each took, the rate achieved, and how far the second pass departs from
// twice the first. What produced the figures, and anything that disturbed
// them, goes to standard error once the report is complete. Options add a
// record of the run, counts chosen by a probe, and a strict verdict.

#include "auto_counts/count_choice.h"
#include "auto_counts/probe.h"
#include "copies/copy_run.h"
#include "copies/machine_figures.h"
#include "copies/usable_processors.h"
#include "driver/arguments.h"
#include "platform/build.h"
#include "platform/machine.h"
#include "platform/processes.h"
#include "platform/processor_time.h"
#include "driver/console.h"
#include "report/context_line.h"
#include "report/report.h"
#include "report/warnings.h"
#include "driver/count_reader.h"
#include "driver/exit_status.h"
#include "pass/figures.h"
#include "pass/pass_outcome.h"
#include "pass/steady_figures.h"
#include "pass/timed_pass.h"
#include "record/record_file.h"
#include "record/json_record.h"
#include "record/run_record.h"
#include "record/timestamp.h"
#include "self_check/state_check.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>

namespace {

using pass::PassFigures;
using pass::PassOutcome;
using pass::PassTiming;
using report::RuleStyle;
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
pass::Counts choose_counts(double seconds) {
  const auto chosen =
      auto_counts::choose_counts(auto_counts::seconds_per_unit(seconds * probe_share), seconds);
  driver::write_output(std::string(inner_prompt) + std::to_string(chosen.inner) + "\n" + outer_prompt +
                       std::to_string(chosen.outer) + "\n");
  return chosen;
}

std::optional<pass::Counts> read_counts(const RunOptions &options) {
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
  return pass::Counts{*inner, *outer, std::nullopt};
}

// The pass timed here, in this process.
void time_here(PassOutcome &pass) {
  pass.timing = pass::time_outer_iterations(pass.outer, pass.inner);
  pass.figures = {pass.timing.elapsed,
                  pass::pass_rate(pass::work_units(pass.inner, pass.outer), pass.timing.elapsed)};
  pass.steady = pass::steady_figures(pass.timing.groups, pass.inner);
  driver::write_output(report::pass_results(pass.figures));
}

// The pass timed in every copy at once: the machine's figures span from the
// earliest copy's start to the latest copy's end, and count every copy's work.
bool time_in_copies(PassOutcome &pass, copies::CopyRun &copy_run) {
  const auto timings = copy_run.run_pass(pass.number);
  if (!timings) {
    driver::end_output_line_on_terminal();
    driver::write_error(copy_run.failure());
    return false;
  }
  const copies::MachineFigures machine =
      copies::machine_figures(*timings, pass::work_units(pass.inner, pass.outer));
  pass.timing = {.elapsed = machine.elapsed,
                 .processor = std::numeric_limits<double>::quiet_NaN(),
                 .start = machine.earliest_start,
                 .end = machine.earliest_start + machine.elapsed};
  pass.figures = {machine.elapsed, machine.rate};
  for (const PassTiming &timing : *timings) {
    pass.copies.push_back({timing, pass::steady_figures(timing.groups, pass.inner)});
  }
  driver::write_output(report::pass_results(pass.figures) +
                       report::copies_line(static_cast<unsigned>(timings->size()), machine.fastest_copy,
                                           machine.slowest_copy));
  return true;
}

// The header and rule are pushed out before the clock starts, so the user
// sees which pass is running and no output falls inside the timed interval.
std::optional<PassOutcome> run_pass(int number, std::int32_t outer, std::int32_t inner, RuleStyle style,
                                    copies::CopyRun *copy_run) {
  driver::write_output(report::pass_header(number, outer, inner));
  driver::write_rule_line(style);
  if (!driver::flush_output()) {
    return std::nullopt;
  }
  PassOutcome pass{.number = number, .outer = outer, .inner = inner};
  if (copy_run == nullptr) {
    time_here(pass);
  } else if (!time_in_copies(pass, *copy_run)) {
    return std::nullopt;
  }
  return pass;
}

std::string context_line(const record::RunRecord &run) {
  return report::context_line(platform::program_version(), platform::build_description(), run.machine,
                              run.copies ? run.copies->count : 0, run.copies ? run.copies->usable_processors : 0);
}

// How many copies the options ask for, and of how many usable processors; a
// warning before pass 1 when they must share.
record::Copies copies_asked_for(const RunOptions &options, record::RunRecord &run) {
  const unsigned usable = copies::usable_processors(platform::this_process_processor_limits());
  const record::Copies asked{options.copies_per_processor ? usable : options.copies, usable};
  const std::string sharing = report::sharing_warning(asked.count, asked.usable_processors);
  if (!sharing.empty()) {
    driver::end_output_line_on_terminal();
    driver::write_error(sharing);
    run.warnings.push_back({report::WarningKind::sharing, 0, sharing});
  }
  return asked;
}

// With copies, each checked the state its own passes left; the first that
// differs stands for all.
bool check_state_after_passes(record::RunRecord &run, copies::CopyRun *copy_run, const PassOutcome &second) {
  if (copy_run == nullptr) {
    run.mismatch = self_check::check_state_after_pass_2(second.outer, second.inner, 0);
    return true;
  }
  const auto checks = copy_run->checks();
  if (!checks) {
    driver::write_error(copy_run->failure());
    return false;
  }
  for (const auto &mismatch : *checks) {
    if (mismatch && !run.mismatch) {
      run.mismatch = mismatch;
    }
  }
  return true;
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
  record::RunRecord run{.build = platform::this_build(),
                        .machine = platform::this_machine(),
                        .operating_system = platform::this_operating_system(),
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
  std::optional<copies::CopyRun> copy_run;
  if (options.copies > 0 || options.copies_per_processor) {
    run.copies = copies_asked_for(options, run);
    copy_run.emplace(run.copies->count, run.counts->inner, run.counts->outer);
    if (!driver::flush_output() || !copy_run->start()) {
      driver::write_error(copy_run->failure());
      return driver::run_failed;
    }
  }
  copies::CopyRun *in_copies = copy_run ? &*copy_run : nullptr;
  const RuleStyle style = driver::rule_style_for_report();
  const std::int32_t outer = run.counts->outer;
  const auto first = run_pass(1, outer, run.counts->inner, style, in_copies);
  if (!first) {
    return driver::run_failed;
  }
  const auto second = run_pass(2, outer, pass::doubled_count(run.counts->inner), style, in_copies);
  if (!second) {
    return driver::run_failed;
  }
  driver::write_output(report::comparison_block(first->figures, second->figures));
  driver::write_output(report::advice(first->figures.elapsed + second->figures.elapsed));
  if (!driver::flush_output()) {
    return driver::run_failed;
  }
  driver::end_output_line_on_terminal();
  run.passes = {*first, *second};

  if (!check_state_after_passes(run, in_copies, *second)) {
    return driver::run_failed;
  }
  const auto pass_warnings = report::pass_warnings(*first, *second, platform::processor_clock_step());
  std::string text = context_line(run);
  for (const report::RunWarning &warning : pass_warnings) {
    text += warning.text;
  }
  run.warnings.insert(run.warnings.end(), pass_warnings.begin(), pass_warnings.end());
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
  if (const auto link = platform::copy_link_in_arguments(argc, argv)) {
    copies::run_as_copy(*link);
  }
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
