#include "driver/run.h"

#include "copies/copy_run.h"
#include "copies/usable_processors.h"
#include "driver/console.h"
#include "driver/dialogue.h"
#include "driver/exit_status.h"
#include "driver/passes.h"
#include "driver/record_destination.h"
#include "pass/figures.h"
#include "platform/build.h"
#include "platform/machine.h"
#include "platform/processor_time.h"
#include "record/run_record.h"
#include "record/timestamp.h"
#include "report/context_line.h"
#include "report/warnings.h"
#include "self_check/state_check.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace driver {
namespace {

using pass::PassOutcome;

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
    end_output_line_on_terminal();
    write_error(sharing);
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
    write_error(copy_run->failure());
    return false;
  }
  for (const auto &mismatch : *checks) {
    if (mismatch && !run.mismatch) {
      run.mismatch = mismatch;
    }
  }
  return true;
}

// The run's verdict, recorded and returned as its exit status; a record
// that cannot be written makes the run a failure.
int conclude(record::RunRecord &run, RecordDestination &destination, ExitStatus status) {
  run.exit_status = status;
  return destination.deliver(run) ? status : run_failed;
}

// Both passes, the comparison and the advice: the whole report. The passes
// run here, or in every copy at once.
bool run_passes(record::RunRecord &run, copies::CopyRun *in_copies, RecordDestination &destination) {
  const report::RuleStyle style = rule_style_for_report();
  const std::int32_t outer = run.counts->outer;
  destination.interrupts_name(RunStage::pass_1);
  const auto first = run_pass(1, outer, run.counts->inner, style, in_copies);
  if (!first) {
    return false;
  }
  destination.interrupts_name(RunStage::pass_2);
  const auto second = run_pass(2, outer, pass::doubled_count(run.counts->inner), style, in_copies);
  if (!second) {
    return false;
  }
  destination.interrupts_name(RunStage::after_passes);
  write_output(report::comparison_block(first->figures, second->figures));
  write_output(report::advice(first->figures.elapsed + second->figures.elapsed, *run.counts));
  if (!flush_output()) {
    return false;
  }
  end_output_line_on_terminal();
  run.passes = {*first, *second};
  return true;
}

// What produced the figures, anything that disturbed them, and whether the
// arithmetic checked out, on standard error once the report is complete.
void write_account(record::RunRecord &run) {
  const auto pass_warnings = report::pass_warnings(run.passes[0], run.passes[1], platform::processor_clock_step());
  std::string text = context_line(run);
  for (const report::RunWarning &warning : pass_warnings) {
    text += warning.text;
  }
  run.warnings.insert(run.warnings.end(), pass_warnings.begin(), pass_warnings.end());
  if (run.mismatch) {
    text += self_check::mismatch_message(*run.mismatch);
  }
  write_error(text);
}

} // namespace

int run(const RunOptions &options) {
  record::RunRecord run{.label = options.label,
                        .build = platform::this_build(),
                        .machine = platform::this_machine(),
                        .operating_system = platform::this_operating_system(),
                        .started_at = record::rfc3339_utc(std::chrono::system_clock::now()),
                        .exit_status = completed};
  RecordDestination destination(options.record_path);
  if (!destination.ready()) {
    return run_failed;
  }
  if (destination.takes_standard_output()) {
    send_report_to_standard_error();
  }
  run.mismatch = self_check::check_known_states();
  if (run.mismatch) {
    write_error(context_line(run) + self_check::mismatch_message(*run.mismatch));
    return conclude(run, destination, arithmetic_differs);
  }
  run.counts = read_counts(options);
  if (!run.counts) {
    return run_failed;
  }
  std::optional<copies::CopyRun> copy_run;
  if (options.copies > 0 || options.copies_per_processor) {
    run.copies = copies_asked_for(options, run);
    copy_run.emplace(run.copies->count, run.counts->inner, run.counts->outer);
    if (!flush_output() || !copy_run->start()) {
      write_error(copy_run->failure());
      return run_failed;
    }
  }
  copies::CopyRun *in_copies = copy_run ? &*copy_run : nullptr;
  if (!run_passes(run, in_copies, destination) || !check_state_after_passes(run, in_copies, run.passes[1])) {
    return run_failed;
  }
  write_account(run);
  return conclude(run, destination,
                  exit_status({.arithmetic_checked_out = !run.mismatch,
                               .strict = options.strict,
                               .warnings = run.warnings.size()}));
}

} // namespace driver
