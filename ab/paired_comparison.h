#pragma once

#include "compare/verdict.h"
#include "record/warning_kinds.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

// What megawhets ab found, as data: every output (the table, its Markdown,
// CSV and JSON forms, the page) presents this and computes nothing.
namespace ab {

// The most rounds one comparison is asked to run.
constexpr std::size_t most_rounds = 100000;

enum class Mode { interleaved, duet };

// The figure of each slice that the rounds, the duet check and the unpaired
// view are judged by: by default pass 2's work per processor second
// (ab/judged_figure.h gives why), the rate where a record has no processor
// time.
enum class Figure { rate, steady, processor_rate, processor_steady };

// B against A: faster or slower where the interval lies above or below 0,
// same where it holds 0 and lies within the threshold, undecided otherwise;
// one type with the comparison of runs, shown through the same words and
// colours.
using Verdict = compare::Verdict;

// What the user asked for.
struct Settings {
  double slice_seconds = 0.0;
  std::optional<double> budget_seconds{}; // the wall time allowed; none with a fixed count of rounds
  std::optional<std::size_t> rounds{};    // a fixed count of rounds
  double alpha = 0.05;
  double threshold_percent = 1.0;
  Figure figure = Figure::rate; // the command's reading sets ab::default_figure unless --figure names one
  bool figure_given = false;    // --figure chose it, rather than the default
  std::uint64_t seed = 0;
  bool seed_given = false;
};

// How every output names the two programs: A, the base, and B.
inline constexpr const char *program_letters[] = {"A", "B"};

// A program compared, as named on the command line and as its record
// describes its build.
struct Program {
  std::string name{};  // as given
  std::string path{};  // where it was started from
  std::string build{}; // "g++ 12.2.0, -O2 -ffp-contract=off, x86-64"
  std::string version{};
};

// One slice: a normal run of A or B.
struct Slice {
  std::size_t round = 0;      // from 1; 0 for the slices of the duet check before the rounds
  int program = 0;            // 0 for A, 1 for B
  double start_seconds = 0.0; // when its passes began, from the comparison's start
  double seconds = 0.0;       // its wall time, from its counts to its end
  double steady = 0.0;        // pass 2's fastest group, megaWhets/second
  double rate = 0.0;          // pass 2's rate, megaWhets/second
  // Pass 2's work per processor second, and its fastest group by the
  // thread's processor time, megaWhets/second; not a number where the
  // program's record gives none.
  double processor_rate = std::numeric_limits<double>::quiet_NaN();
  double processor_steady = std::numeric_limits<double>::quiet_NaN();
  record::WarningKinds warnings{};     // the kinds its record names
  std::optional<unsigned> processor{}; // in duet, the processor it was held to
  std::string started_at{};            // UTC, to the second, as its record gives it
};

// One round's pair: A's slice and B's, and what the answer is judged on.
struct Round {
  std::size_t number = 0;  // from 1
  bool b_first = false;    // interleaved: B's slice ran first
  std::size_t a_slice = 0; // indices into the comparison's slices
  std::size_t b_slice = 0;
  double log_ratio = 0.0; // ln(B's judged figure / A's), the figure of ab/judged_figure.h
  // In duet, how far apart the two slices' passes began, in seconds.
  std::optional<double> start_apart{};
};

// The duet's A/A check: A against itself on both processors.
struct DuetCheck {
  unsigned processors[2] = {0, 0};
  std::size_t rounds = 0;
  // How much faster A ran on the second processor than on the first, by the
  // judged figure, in percent, the copies' own difference cancelled by the
  // swap.
  double processor_difference_percent = 0.0;
  // How much slower A ran beside itself than alone, by the judged figure, in
  // percent: large where the two processors share a core's units or the
  // machine cannot run two programs at once.
  double duet_slowdown_percent = 0.0;
  bool passed = false;
};

// The paired answer: B against A, from the rounds' log ratios.
struct Answer {
  std::size_t rounds = 0;
  // The Hodges-Lehmann estimate of the change from A to B, and its exact
  // interval, in percent: positive when B is faster. Not a number with no
  // rounds.
  double change_percent = 0.0;
  double low_percent = 0.0;
  double high_percent = 0.0;
  bool interval_is_range = false; // too few rounds for the level: the whole range of the ratios
  double confidence = 0.95;       // the interval's level, under the stopping rule's share of alpha
  double p_value = 1.0;           // the Wilcoxon signed-rank test's, two-sided
  Verdict verdict = Verdict::undecided;
  // Undecided: about how many rounds in all a decision would take at the
  // spread seen; none where the rounds so far say nothing of it.
  std::optional<std::size_t> rounds_to_decide{};
};

// The same slices judged as `megawhets compare` judges separate runs, but on
// the figure the rounds are judged by (ab/judged_figure.h), so that the two
// views differ only in the pairing: each program's median of that figure,
// the U test between them, and their intervals.
struct UnpairedView {
  double change_percent = 0.0; // of the medians, B against A
  double p_value = 1.0;        // the two-sided Mann-Whitney U test's
  double a_median = 0.0;
  double b_median = 0.0;
  // Each median's 95 % interval, or the range with fewer than 6 slices.
  double a_low = 0.0, a_high = 0.0, b_low = 0.0, b_high = 0.0;
  bool intervals_are_ranges = false;
  // The U test's own 95 % interval for the change, in percent (the
  // two-sample Hodges-Lehmann interval on the figures' logs); not a number
  // with too few slices.
  double shift_low_percent = 0.0;
  double shift_high_percent = 0.0;
};

struct PairedComparison {
  Settings settings{};
  Program programs[2]{};
  std::int32_t inner = 0;
  std::int32_t outer = 0;
  Mode mode = Mode::interleaved;
  std::string mode_reason{}; // why this mode ran: "asked for with --interleaved", ...
  std::optional<DuetCheck> duet_check{};
  std::vector<Slice> slices{};
  std::vector<Round> rounds{};
  Answer answer{};
  UnpairedView unpaired{};
  double seconds = 0.0; // the comparison's wall time
  std::size_t warned_slices = 0;
  bool stopped_early = false; // the stopping rule found the answer certain before the budget ran out
  bool interrupted = false;
  std::string failure{};               // a program that failed during a slice, and which: empty when none did
  std::vector<std::string> warnings{}; // about the comparison as a whole, one line each without a line break
};

} // namespace ab
