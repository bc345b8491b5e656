#include "ab/comparison_run.h"

#include "ab/duet_check_text.h"
#include "ab/judged_figure.h"
#include "ab/paired_answer.h"
#include "ab/round_order.h"
#include "ab/sequential_judgement.h"
#include "ab/slice_counts.h"
#include "ab/slice_reading.h"
#include "ab/stopping_rule.h"
#include "copies/usable_processors.h"
#include "output/number_text.h"
#include "platform/interrupts.h"
#include "platform/machine.h"
#include "platform/processor_time.h"
#include "platform/programs.h"
#include "text/formatted.h"
#include "text/printable.h"

#include <algorithm>
#include <cmath>

namespace ab {
namespace {

using Seconds = std::chrono::duration<double>;

constexpr std::size_t duet_check_rounds = 2;

// The two processors a duet runs on: the first this process may use, and
// the next on another core where the system says which share one.
std::optional<std::pair<unsigned, unsigned>> duet_processors() {
  const std::vector<platform::AllowedProcessor> allowed = platform::allowed_processors();
  if (allowed.size() < 2) {
    return std::nullopt;
  }
  for (std::size_t i = 1; i < allowed.size(); ++i) {
    if (allowed[i].core < 0 || allowed[i].core != allowed[0].core) {
      return std::pair{allowed[0].number, allowed[i].number};
    }
  }
  return std::pair{allowed[0].number, allowed[1].number};
}

class Run {
public:
  Run(const RunRequest &request, const RunHooks &hooks) : request_(request), hooks_(hooks) {
    comparison().settings = request.settings;
    for (int i = 0; i < 2; ++i) {
      comparison().programs[i].name = request.names[i];
    }
  }

  RunResult run() {
    judge_on_a_fine_clock();
    if (find_programs() && probe() && choose_mode() && run_rounds()) {
      finish();
    } else if (result_.ending == RunEnding::program_failed || comparison().interrupted) {
      finish();
    }
    comparison().seconds = elapsed();
    return std::move(result_);
  }

private:
  // The default figures by processor time need a clock that resolves a
  // slice's pass: Windows' steps by 15.6 ms, a twentieth of a short pass,
  // where Linux's steps by a nanosecond. Where it is coarser than a
  // thousandth of a slice, the rounds are judged on the rate, and the
  // answer says so.
  void judge_on_a_fine_clock() {
    Settings &settings = comparison().settings;
    if (settings.figure_given || settings.figure == Figure::rate || settings.figure == Figure::steady) {
      return;
    }
    const double step = platform::processor_clock_step();
    if (step <= settings.slice_seconds / 1000.0) {
      return;
    }
    comparison().warnings.push_back(
        std::isfinite(step)
            ? text::formatted(
                  "this system's processor clock steps by %.3g ms, too coarse for slices of %g s, so "
                  "the rounds are judged on the rate, as --figure rate asks",
                  step * 1000.0, settings.slice_seconds)
            : std::string(
                  "this system gives no processor clock's step, so the rounds are judged on the rate, as "
                  "--figure rate asks"));
    settings.figure = Figure::rate;
  }

  PairedComparison &comparison() { return result_.comparison; }
  const PairedComparison &comparison() const { return result_.comparison; }

  double elapsed() const { return Seconds(Clock::now() - start_).count(); }

  bool refuse(RunEnding ending, std::string message) {
    result_.ending = ending;
    result_.message = std::move(message);
    return false;
  }

  bool find_programs() {
    for (int i = 0; i < 2; ++i) {
      const platform::FoundProgram found = platform::find_program(request_.names[i]);
      if (found.path.empty()) {
        return refuse(RunEnding::not_megawhets, std::string(program_letters[i]) + ", " +
                                                    text::quoted(request_.names[i]) + ", " + found.problem);
      }
      comparison().programs[i].path = found.path;
    }
    return true;
  }

  SliceLimits limits() const {
    const auto longest = std::chrono::duration_cast<std::chrono::milliseconds>(
        Seconds(60.0 + 20.0 * request_.settings.slice_seconds));
    return {.run = longest};
  }

  bool gives_judged_figure(const ReadSlice &read) const {
    const Slice figures{.steady = read.run->steady,
                        .rate = read.run->rate,
                        .processor_rate = read.details.processor_rate,
                        .processor_steady = read.details.processor_steady};
    const double figure = judged(figures, comparison().settings.figure);
    return std::isfinite(figure) && figure > 0.0;
  }

  // Runs one slice in each program asked for, released together; false,
  // with the comparison's ending set, when any gave no figures.
  bool run_together(const std::vector<int> &programs, const std::vector<std::optional<unsigned>> &processors,
                    const pass::Counts &counts, std::vector<ProgramSlice> &slices,
                    std::vector<ReadSlice> &runs, bool validating) {
    std::vector<SliceRequest> requests;
    for (std::size_t i = 0; i < programs.size(); ++i) {
      requests.push_back({comparison().programs[programs[i]].path, processors[i]});
    }
    slices = run_slices(requests, counts, limits());
    runs.clear();
    for (std::size_t i = 0; i < slices.size(); ++i) {
      ReadSlice read = read_slice(slices[i], counts);
      const std::string who = std::string(program_letters[programs[i]]) + ", " +
                              text::quoted(comparison().programs[programs[i]].name) + ", ";
      if (read.problem == SliceProblem::none && !gives_judged_figure(read) && validating &&
          !comparison().settings.figure_given && comparison().settings.figure != Figure::rate) {
        // The default figure, by processor time, which an older program's
        // record lacks: both are judged on the rate instead, and the
        // answer says so.
        comparison().warnings.push_back(who + std::string("gives no ") +
                                        figure_words(comparison().settings.figure) +
                                        ", so the rounds are judged on the rate, as --figure rate asks");
        comparison().settings.figure = Figure::rate;
      }
      if (read.problem == SliceProblem::none && !gives_judged_figure(read)) {
        // An older program's record, or a system whose processor clock is
        // too coarse, gives no figure by processor time.
        const std::string message = std::string("gives no ") + figure_words(comparison().settings.figure) +
                                    " to judge it by: choose another --figure";
        if (validating) {
          return refuse(RunEnding::not_megawhets, who + message);
        }
        comparison().failure = who + message + slice_name();
        return refuse(RunEnding::program_failed, comparison().failure);
      }
      switch (read.problem) {
      case SliceProblem::none:
        runs.push_back(std::move(read));
        continue;
      case SliceProblem::interrupted:
        comparison().interrupted = true;
        return false;
      case SliceProblem::self_check_failed:
        return refuse(RunEnding::self_check_failed, who + read.message);
      case SliceProblem::not_megawhets:
        if (validating) {
          return refuse(RunEnding::not_megawhets, who + read.message);
        }
        [[fallthrough]];
      case SliceProblem::failed:
        comparison().failure = who + read.message + slice_name();
        return refuse(RunEnding::program_failed, comparison().failure);
      }
    }
    return true;
  }

  std::string slice_name() const {
    if (round_ == 0) {
      return " before the rounds";
    }
    return " in round " + std::to_string(round_);
  }

  // A's slices at growing counts until one is long enough to measure it;
  // then one of B, to know that it is a megawhets program too.
  bool probe() {
    std::vector<ProgramSlice> slices;
    std::vector<ReadSlice> runs;
    double seconds_per_unit = 0.0;
    for (int step = 0; step < most_probe_steps; ++step) {
      const pass::Counts counts = probe_counts(step);
      if (!run_together({0}, {std::nullopt}, counts, slices, runs, true)) {
        return false;
      }
      describe(0, *runs[0].run);
      // The passes' own seconds, or where a record gives none, the slice's.
      const double seconds = runs[0].passes_seconds > 0.0
                                 ? runs[0].passes_seconds
                                 : Seconds(slices[0].ended - slices[0].started).count();
      seconds_per_unit = seconds / (3.0 * counts.inner * static_cast<double>(counts.outer));
      if (seconds >= least_probe_seconds) {
        break;
      }
    }
    if (!run_together({1}, {std::nullopt}, probe_counts(0), slices, runs, true)) {
      return false;
    }
    describe(1, *runs[0].run);
    const pass::Counts counts = slice_counts(seconds_per_unit, request_.settings.slice_seconds);
    comparison().inner = counts.inner;
    comparison().outer = counts.outer;
    return true;
  }

  void describe(int program, const record::RecordedRun &run) {
    Program &described = comparison().programs[program];
    described.version = run.program_version.str();
    described.build = run.compiler.str() + " " + run.compiler_version.str() + ", " + run.flags.str() +
                      (run.architecture.empty() ? "" : ", " + run.architecture.str());
  }

  pass::Counts counts() const { return {comparison().inner, comparison().outer}; }

  Slice slice_of(std::size_t round, int program, const ProgramSlice &ran, const ReadSlice &read,
                 std::optional<unsigned> processor) const {
    const record::RecordedRun &run = *read.run;
    return {.round = round,
            .program = program,
            .start_seconds = Seconds(ran.started - start_).count(),
            .seconds = Seconds(ran.ended - ran.started).count(),
            .steady = run.steady,
            .rate = run.rate,
            .processor_rate = read.details.processor_rate,
            .processor_steady = read.details.processor_steady,
            .warnings = run.warning_kinds,
            .processor = processor,
            .started_at = run.started_at.str()};
  }

  bool choose_mode() {
    const ModeChoice asked = request_.mode;
    if (asked == ModeChoice::interleaved) {
      return set_mode(Mode::interleaved, "asked for with --interleaved");
    }
    const unsigned usable = copies::usable_processors(platform::this_process_processor_limits());
    const auto processors = duet_processors();
    if (usable < 2 || !processors) {
      const std::string why = "this machine lets megawhets use " + std::to_string(usable) +
                              (usable == 1 ? " processor" : " processors") +
                              (usable >= 2 ? " but cannot hold a program to one" : "") +
                              ", as --copies all counts them";
      if (asked == ModeChoice::duet) {
        return refuse(RunEnding::no_duet, "--duet needs two usable processors; " + why);
      }
      return set_mode(Mode::interleaved, "duet needs two usable processors; " + why);
    }
    processors_ = *processors;
    if (!check_duet()) {
      return false;
    }
    const DuetCheck &check = *comparison().duet_check;
    const std::string found =
        text::formatted("the A/A check found processors %u and %u %.2f %% apart, with A ", processors_.first,
                        processors_.second, std::fabs(check.processor_difference_percent)) +
        beside_itself_text(check.duet_slowdown_percent);
    if (!check.passed) {
      const std::string warning =
          found + ": " + duet_check_failure(check, request_.settings.threshold_percent);
      comparison().warnings.push_back(warning);
      if (asked == ModeChoice::automatic) {
        return set_mode(Mode::interleaved, "duet would mislead here: " + warning);
      }
      return set_mode(Mode::duet, "asked for with --duet, though " + warning);
    }
    if (asked == ModeChoice::duet) {
      return set_mode(Mode::duet, "asked for with --duet; " + found);
    }
    return set_mode(Mode::duet, "two usable processors, and " + found);
  }

  bool set_mode(Mode mode, std::string reason) {
    comparison().mode = mode;
    comparison().mode_reason = std::move(reason);
    return true;
  }

  // A against itself in duet, the processors swapped each round, and A
  // alone on the first processor.
  bool check_duet() {
    DuetCheck check{.processors = {processors_.first, processors_.second}};
    std::vector<ProgramSlice> slices;
    std::vector<ReadSlice> runs;
    double difference = 0.0;
    double beside = 0.0;
    for (std::size_t round = 0; round < duet_check_rounds; ++round) {
      const auto first = round % 2 == 0 ? processors_.first : processors_.second;
      const auto second = round % 2 == 0 ? processors_.second : processors_.first;
      if (!run_together({0, 0}, {first, second}, counts(), slices, runs, false)) {
        return false;
      }
      double figure[2];
      for (std::size_t i = 0; i < 2; ++i) {
        comparison().slices.push_back(slice_of(0, 0, slices[i], runs[i], i == 0 ? first : second));
        figure[i] = judged(comparison().slices.back(), comparison().settings.figure);
        beside += std::log(figure[i]);
      }
      // The second processor's figure over the first's; the swap takes the
      // two programs' own difference out.
      const double on_second = round % 2 == 0 ? figure[1] : figure[0];
      const double on_first = round % 2 == 0 ? figure[0] : figure[1];
      difference += std::log(on_second / on_first);
    }
    if (!run_together({0}, {processors_.first}, counts(), slices, runs, false)) {
      return false;
    }
    comparison().slices.push_back(slice_of(0, 0, slices[0], runs[0], processors_.first));
    const double alone = judged(comparison().slices.back(), comparison().settings.figure);
    check.rounds = duet_check_rounds;
    check.processor_difference_percent = std::expm1(difference / duet_check_rounds) * 100.0;
    check.duet_slowdown_percent = -std::expm1(beside / (2.0 * duet_check_rounds) - std::log(alone)) * 100.0;
    check.passed = std::fabs(check.processor_difference_percent) < request_.settings.threshold_percent &&
                   check.duet_slowdown_percent < largest_duet_slowdown_percent;
    comparison().duet_check = check;
    return true;
  }

  // One round: A's slice and B's, one after the other in the order drawn,
  // or together on the two processors, swapped each round.
  bool run_round() {
    PairedComparison &paired = comparison();
    Round round{.number = round_};
    std::vector<ProgramSlice> slices;
    std::vector<ReadSlice> runs;
    std::optional<unsigned> processor[2];
    if (paired.mode == Mode::duet) {
      const bool swapped = round_ % 2 == 0;
      processor[0] = swapped ? processors_.second : processors_.first;
      processor[1] = swapped ? processors_.first : processors_.second;
      if (!run_together({0, 1}, {processor[0], processor[1]}, counts(), slices, runs, false)) {
        return false;
      }
      round.start_apart = std::fabs(Seconds(slices[1].started - slices[0].started).count());
      if (!keep(round, 0, slices[0], runs[0], processor[0]) ||
          !keep(round, 1, slices[1], runs[1], processor[1])) {
        return false;
      }
    } else {
      round.b_first = b_runs_first(paired.settings.seed, round_);
      for (const int program : round.b_first ? std::vector<int>{1, 0} : std::vector<int>{0, 1}) {
        if (!run_together({program}, {std::nullopt}, counts(), slices, runs, false) ||
            !keep(round, program, slices[0], runs[0], std::nullopt)) {
          return false;
        }
      }
    }
    round.log_ratio = std::log(judged(paired.slices[round.b_slice], paired.settings.figure) /
                               judged(paired.slices[round.a_slice], paired.settings.figure));
    paired.rounds.push_back(round);
    return true;
  }

  bool keep(Round &round, int program, const ProgramSlice &ran, const ReadSlice &run,
            std::optional<unsigned> processor) {
    PairedComparison &paired = comparison();
    paired.slices.push_back(slice_of(round.number, program, ran, run, processor));
    (program == 0 ? round.a_slice : round.b_slice) = paired.slices.size() - 1;
    if (hooks_.keep_record && !hooks_.keep_record(paired.slices.back(), ran.record_text)) {
      return refuse(RunEnding::not_kept, "");
    }
    return true;
  }

  std::vector<double> log_ratios() const {
    std::vector<double> ratios;
    for (const Round &round : result_.comparison.rounds) {
      ratios.push_back(round.log_ratio);
    }
    return ratios;
  }

  // Whether another round fits in what is left of the budget, going by
  // the longest round so far.
  bool another_round_fits() const {
    const Settings &settings = result_.comparison.settings;
    if (settings.rounds) {
      return round_ < *settings.rounds;
    }
    return elapsed() + longest_round_ <= *settings.budget_seconds;
  }

  bool run_rounds() {
    const Settings &settings = comparison().settings;
    if (settings.rounds) {
      judgement_.emplace(StoppingRule::fixed_rounds(*settings.rounds, settings.alpha),
                         settings.threshold_percent);
    }
    while (round_ == 0 || another_round_fits()) {
      ++round_;
      const auto round_start = Clock::now();
      if (!run_round()) {
        --round_;
        return false;
      }
      longest_round_ = std::max(longest_round_, Seconds(Clock::now() - round_start).count());
      if (!judgement_) {
        // The rounds the budget holds, going by the first: the looks are
        // planned from them, before any figure is judged.
        const auto planned = 1 + static_cast<std::size_t>(
                                     std::max(0.0, (*settings.budget_seconds - elapsed()) / longest_round_));
        judgement_.emplace(StoppingRule::within_budget(planned, settings.alpha), settings.threshold_percent);
      }
      const std::vector<double> ratios = log_ratios();
      if (const auto answer = judgement_->certain_answer(ratios)) {
        comparison().answer = *answer;
        comparison().stopped_early = true;
        report_progress(*answer);
        return true;
      }
      report_progress(judgement_->last_answer(ratios));
      if (platform::interrupt_requested()) {
        comparison().interrupted = true;
        return true;
      }
    }
    return true;
  }

  void report_progress(const Answer &answer) {
    if (hooks_.after_round) {
      hooks_.after_round(comparison(), answer);
    }
  }

  // The answer from the rounds that finished, at the last look's level,
  // unless a look stopped the run; and the same slices unpaired.
  void finish() {
    PairedComparison &paired = comparison();
    if (!paired.stopped_early) {
      paired.answer =
          judgement_ ? judgement_->last_answer(log_ratios())
                     : paired_answer(log_ratios(), paired.settings.alpha, paired.settings.threshold_percent);
    }
    std::vector<double> figures[2];
    for (const Round &round : paired.rounds) {
      figures[0].push_back(judged(paired.slices[round.a_slice], paired.settings.figure));
      figures[1].push_back(judged(paired.slices[round.b_slice], paired.settings.figure));
    }
    paired.unpaired = unpaired_view(figures[0], figures[1]);
    for (const Slice &slice : paired.slices) {
      paired.warned_slices += slice.round > 0 && !slice.warnings.empty() ? 1 : 0;
    }
  }

  const RunRequest &request_;
  const RunHooks &hooks_;
  RunResult result_{};
  Clock::time_point start_ = Clock::now();
  std::pair<unsigned, unsigned> processors_{0, 1};
  std::size_t round_ = 0;
  double longest_round_ = 0.0;
  std::optional<SequentialJudgement> judgement_{};
};

} // namespace

RunResult run_comparison(const RunRequest &request, const RunHooks &hooks) {
  return Run(request, hooks).run();
}

} // namespace ab
