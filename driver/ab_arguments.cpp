#include "driver/ab_arguments.h"

#include "ab/judged_figure.h"
#include "ab/round_order.h"
#include "ab/slice_counts.h"
#include "driver/help_text.h"
#include "driver/option_reading.h"
#include "text/formatted.h"

#include <array>
#include <charconv>
#include <cmath>
#include <string_view>

namespace driver {
namespace {

// What the arguments are read into: the options, and what only the whole
// line can judge.
struct AbReading : AbOptions {
  bool budget_given = false;
  std::vector<std::string> programs{};
};

using Rule = OptionRule<AbReading>;

// A number from low to high, in plain decimal.
std::optional<double> within(std::string_view text, double low, double high) {
  const auto value = plain_decimal(text);
  return value && *value >= low && *value <= high ? value : std::nullopt;
}

template <class Whole> std::optional<Whole> whole_number(std::string_view text) {
  Whole value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || text.front() == '-' || result.ec != std::errc{} ||
      result.ptr != text.data() + text.size()) {
    return std::nullopt;
  }
  return value;
}

// The two modes exclude each other: the last of them winning would hide
// that the comparison was not run as the user asked.
std::string take_mode(ab::ModeChoice mode, AbReading &reading) {
  if (reading.request.mode != ab::ModeChoice::automatic && reading.request.mode != mode) {
    return "options '--interleaved' and '--duet' cannot go together";
  }
  reading.request.mode = mode;
  return {};
}

std::string take_slice(const OptionValue &given, AbReading &reading) {
  return read_into(reading.request.settings.slice_seconds, given,
                   within(given.value, ab::shortest_slice, ab::longest_slice),
                   text::formatted("needs seconds from %g to %g, such as --slice=1", ab::shortest_slice,
                                   ab::longest_slice));
}

std::string take_budget(const OptionValue &given, AbReading &reading) {
  reading.budget_given = true;
  return read_into(reading.request.settings.budget_seconds, given,
                   within(given.value, shortest_budget_seconds, longest_budget_seconds),
                   "needs seconds from 1 to 86400, such as --budget=60");
}

std::string take_rounds(const OptionValue &given, AbReading &reading) {
  const auto value = whole_number<std::size_t>(given.value);
  const bool counted = value && *value >= fewest_rounds && *value <= most_rounds;
  return read_into(reading.request.settings.rounds, given, counted ? value : std::nullopt,
                   "needs a whole number of rounds from " + std::to_string(fewest_rounds) + " to " +
                       std::to_string(most_rounds) + ", such as --rounds=30");
}

std::string take_alpha(const OptionValue &given, AbReading &reading) {
  return read_level(reading.request.settings.alpha, given);
}

std::string take_threshold(const OptionValue &given, AbReading &reading) {
  return read_into(reading.request.settings.threshold_percent, given, open_percentage(given.value),
                   "needs a percentage between 0 and 100, such as --threshold=0.5");
}

std::string take_figure(const OptionValue &given, AbReading &reading) {
  reading.request.settings.figure_given = true;
  return read_into(reading.request.settings.figure, given, ab::figure_named(given.value),
                   "needs rate, steady, processor-rate or processor-steady");
}

std::string take_seed(const OptionValue &given, AbReading &reading) {
  reading.request.settings.seed_given = true;
  return read_into(reading.request.settings.seed, given, whole_number<std::uint64_t>(given.value),
                   "needs a whole number from 0 to 18446744073709551615, as a comparison prints it");
}

std::string take_records(const OptionValue &given, AbReading &reading) {
  reading.records_path = given.value;
  return missing_value_problem(given, "--records", "a directory");
}

constexpr std::array<Rule, 15> options_of_ab = {{
    {"--slice", Takes::value, take_slice},
    {"--budget", Takes::value, take_budget},
    {"--rounds", Takes::value, take_rounds},
    {"--alpha", Takes::value, take_alpha},
    {"--threshold", Takes::value, take_threshold},
    {"--figure", Takes::value, take_figure},
    {"--seed", Takes::value, take_seed},
    {"--interleaved", Takes::nothing,
     [](const OptionValue &, AbReading &reading) { return take_mode(ab::ModeChoice::interleaved, reading); }},
    {"--duet", Takes::nothing,
     [](const OptionValue &, AbReading &reading) { return take_mode(ab::ModeChoice::duet, reading); }},
    strict_option<AbReading>,
    format_option<AbReading>,
    json_option<AbReading>,
    html_option<AbReading>,
    {"--records", Takes::value, take_records},
    force_option<AbReading>,
}};

std::string unknown(std::string_view argument) {
  return unknown_option_problem(argument, option_names(options_of_ab), " for ab");
}

std::string take_program(std::string_view argument, AbReading &reading) {
  reading.programs.emplace_back(argument);
  return {};
}

AbReading with_defaults() {
  AbReading reading;
  reading.request.settings.slice_seconds = default_slice_seconds;
  reading.request.settings.threshold_percent = default_threshold_percent;
  reading.request.settings.figure = ab::default_figure;
  return reading;
}

// What only the whole command line shows, and the budget left to its
// default when neither it nor the rounds were given.
std::string whole_line_problem(AbReading &reading) {
  ab::Settings &settings = reading.request.settings;
  if (reading.programs.size() != 2) {
    return "ab needs two programs, PROGRAM_A and PROGRAM_B, and was given " +
           std::to_string(reading.programs.size());
  }
  if (reading.budget_given && settings.rounds) {
    return "options '--budget' and '--rounds' cannot go together: the rounds are a fixed count, however long "
           "they "
           "take";
  }
  if (!settings.rounds && !reading.budget_given) {
    settings.budget_seconds = default_budget_seconds;
  }
  // A round is two slices, one after the other where they cannot run side
  // by side; a budget that cannot hold one would be spent before the first.
  if (const double round = 2 * settings.slice_seconds;
      settings.budget_seconds && *settings.budget_seconds < round) {
    return text::formatted(
        "a budget of %g s cannot hold one round of two %g s slices: give --budget %g or more, or "
        "a shorter --slice",
        *settings.budget_seconds, settings.slice_seconds, round);
  }
  return {};
}

} // namespace

AbCommandLine read_ab_command_line(int argc, const char *const *argv) {
  const auto read = read_arguments(Grammar<AbReading>{options_of_ab, take_program, unknown}, 1, argc, argv,
                                   with_defaults());
  AbReading reading = read.options;
  AbCommandLine line{.help = read.help, .problem = read.problem};
  if (line.help || !line.problem.empty()) {
    return line;
  }
  if (line.problem = whole_line_problem(reading); !line.problem.empty()) {
    return line;
  }
  if (!reading.request.settings.seed_given) {
    reading.request.settings.seed = ab::fresh_seed();
  }
  reading.request.names[0] = reading.programs[0];
  reading.request.names[1] = reading.programs[1];
  line.options = static_cast<const AbOptions &>(reading); // what only the reading needed stays behind
  return line;
}

std::string ab_usage() {
  // The figure is named from the one the rounds are judged by, so that the
  // help cannot go on naming another once that choice changes.
  return fitted_help(
      "Usage: megawhets ab [OPTIONS] PROGRAM_A PROGRAM_B\n"
      "Tell two megawhets programs apart on a noisy machine: run them in short slices, in pairs, and give\n"
      "B's change against A with its 95 % interval.\n"
      "\n"
      "Each PROGRAM is a megawhets program (two builds, or one build twice to check the machine). Each\n"
      "round runs one slice of each, a normal run of the program with the same counts for both; the\n"
      "round's pair is judged on the ratio of B's " +
      std::string(ab::figure_words(ab::default_figure)) + " to A's\n(" +
      ab::figure_meaning(ab::default_figure) +
      "; --figure names another), with the Wilcoxon signed-rank test\n"
      "and the Hodges-Lehmann estimate. Interleaved, the slices run one after\n"
      "the other in an order drawn at random each round; in duet, together, each held to its own\n"
      "processor, the processors swapped each round. Duet runs where the machine has two usable\n"
      "processors and a check of A against itself finds them alike; otherwise, interleaved.\n"
      "\n"
      "  --slice SECONDS   how long a slice's two passes take, 0.1 to 60 (default 0.5)\n"
      "  --budget SECONDS  the most the comparison takes, 1 to 86400 (default 60); it stops sooner\n"
      "                    once the answer is certain\n"
      "  --rounds N        run N rounds (6 to 100000) instead, judged once at the end\n"
      "  --alpha A         the chance of calling equal programs faster or slower (default 0.05)\n"
      "  --threshold PCT   the change within which the two are the same (default 1)\n"
      "  --figure NAME     the slices' figure the rounds are judged on: rate (default), steady,\n"
      "                    processor-rate or processor-steady (by the processor time they had)\n"
      "  --seed N          repeat the order of an interleaved comparison, as it printed its seed\n"
      "  --interleaved     run the slices one after the other\n"
      "  --duet            run the slices together, each on its own processor\n"
      "  --strict          exit with status 4 when B is slower than A by at least --threshold, or when\n"
      "                    the answer rests on disturbed slices\n"
      "  --format FORMAT   table (default), md, csv or json\n"
      "  --json FILE       also write every slice, the order, the seed and the answer to FILE\n"
      "  --html FILE       also write the comparison as one self-contained page\n"
      "  --records DIR     keep each slice's own record in DIR, for megawhets compare\n"
      "  --force           write an output even over a file of run records, a history or a program\n"
      "  --help            show this help and exit\n"
      "\n"
      "Exit status: 0 when the comparison was written, whatever its verdict; 1 when a program failed\n"
      "during a slice (the rounds before it are still answered), the comparison was interrupted, or an\n"
      "output could not be written; 2 for bad usage, or a PROGRAM that is missing or not megawhets;\n"
      "3 when a PROGRAM's self-check failed; 4 with --strict, as above.\n"
      "\n"
      "See megawhets(1).\n");
}

} // namespace driver
