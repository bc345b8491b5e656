#include "driver/ab_arguments.h"

#include "ab/judged_figure.h"
#include "ab/round_order.h"
#include "ab/slice_counts.h"
#include "driver/help_text.h"
#include "driver/option_reading.h"
#include "driver/suggestion.h"
#include "text/formatted.h"

#include <array>
#include <charconv>
#include <cmath>
#include <string_view>

namespace driver {
namespace {

constexpr std::array<std::string_view, 16> known_options = {
    "--slice", "--budget", "--rounds", "--alpha", "--threshold", "--figure",  "--seed",  "--interleaved",
    "--duet",  "--strict", "--format", "--json",  "--html",      "--records", "--force", "--help"};

// A number from low to high, in plain decimal; strictly between them where
// `open`.
std::optional<double> within(std::string_view text, double low, double high, bool open = false) {
  const auto value = plain_decimal(text);
  if (!value || (open ? (*value <= low || *value >= high) : (*value < low || *value > high))) {
    return std::nullopt;
  }
  return value;
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

std::string unknown(std::string_view argument) {
  const auto meant = closest_option(argument, known_options);
  return "unknown option " + quoted(argument) +
         (meant ? " (did you mean " + std::string(*meant) + "?)" : " for ab");
}

std::string needs_name(std::string_view option, const char *what) {
  return "option '" + std::string(option) + "' needs " + what;
}

// Reads one option at argv[i]; an empty result means it was taken.
std::string take_option(std::string_view argument, int argc, const char *const *argv, int &i,
                        AbOptions &options, bool &budget_given) {
  ab::Settings &settings = options.request.settings;
  // The two modes exclude each other: the last of them winning would hide
  // that the comparison was not run as the user asked.
  if (argument == "--interleaved" || argument == "--duet") {
    const ab::ModeChoice mode = argument == "--duet" ? ab::ModeChoice::duet : ab::ModeChoice::interleaved;
    if (options.request.mode != ab::ModeChoice::automatic && options.request.mode != mode) {
      return "options '--interleaved' and '--duet' cannot go together";
    }
    options.request.mode = mode;
  } else if (argument == "--strict") {
    options.strict = true;
  } else if (argument == "--force") {
    options.force = true;
  } else if (const auto slice = option_value("--slice", argc, argv, i)) {
    const auto value = within(slice->value, ab::shortest_slice, ab::longest_slice);
    if (!value) {
      return "option " + quoted(slice->as_given) +
             text::formatted(" needs seconds from %g to %g, such as --slice=1", ab::shortest_slice,
                             ab::longest_slice);
    }
    settings.slice_seconds = *value;
  } else if (const auto budget = option_value("--budget", argc, argv, i)) {
    const auto value = within(budget->value, shortest_budget_seconds, longest_budget_seconds);
    if (!value) {
      return "option " + quoted(budget->as_given) + " needs seconds from 1 to 86400, such as --budget=60";
    }
    settings.budget_seconds = *value;
    budget_given = true;
  } else if (const auto rounds = option_value("--rounds", argc, argv, i)) {
    const auto value = whole_number<std::size_t>(rounds->value);
    if (!value || *value < fewest_rounds || *value > most_rounds) {
      return "option " + quoted(rounds->as_given) + " needs a whole number of rounds from " +
             std::to_string(fewest_rounds) + " to " + std::to_string(most_rounds) + ", such as --rounds=30";
    }
    settings.rounds = *value;
  } else if (const auto alpha = option_value("--alpha", argc, argv, i)) {
    const auto value = level(alpha->value);
    if (std::string problem = level_problem(alpha->as_given, value); !problem.empty()) {
      return problem;
    }
    settings.alpha = *value;
  } else if (const auto threshold = option_value("--threshold", argc, argv, i)) {
    const auto value = within(threshold->value, 0.0, 100.0, true);
    if (!value) {
      return "option " + quoted(threshold->as_given) +
             " needs a percentage between 0 and 100, such as --threshold=0.5";
    }
    settings.threshold_percent = *value;
  } else if (const auto figure = option_value("--figure", argc, argv, i)) {
    const auto value = ab::figure_named(figure->value);
    if (!value) {
      return "option " + quoted(figure->as_given) + " needs rate, steady, processor-rate or processor-steady";
    }
    settings.figure = *value;
    settings.figure_given = true;
  } else if (const auto seed = option_value("--seed", argc, argv, i)) {
    const auto value = whole_number<std::uint64_t>(seed->value);
    if (!value) {
      return "option " + quoted(seed->as_given) +
             " needs a whole number from 0 to 18446744073709551615, as a "
             "comparison prints it";
    }
    settings.seed = *value;
    settings.seed_given = true;
  } else if (const auto format = option_value("--format", argc, argv, i)) {
    const auto value = output_format_named(format->value);
    if (!value) {
      return "option " + quoted(format->as_given) + " needs table, md, csv or json";
    }
    options.format = *value;
  } else if (const auto json = option_value("--json", argc, argv, i)) {
    if (json->value.empty()) {
      return needs_name("--json", "a file name");
    }
    options.json_path = json->value;
  } else if (const auto html = option_value("--html", argc, argv, i)) {
    if (html->value.empty()) {
      return needs_name("--html", "a file name");
    }
    options.html_path = html->value;
  } else if (const auto records = option_value("--records", argc, argv, i)) {
    if (records->value.empty()) {
      return needs_name("--records", "a directory");
    }
    options.records_path = records->value;
  } else {
    return unknown(argument);
  }
  return {};
}

} // namespace

AbCommandLine read_ab_command_line(int argc, const char *const *argv) {
  AbCommandLine line;
  AbOptions &options = line.options;
  options.request.settings.slice_seconds = default_slice_seconds;
  options.request.settings.threshold_percent = default_threshold_percent;
  options.request.settings.figure = ab::default_figure;
  bool budget_given = false;
  std::vector<std::string> programs;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--help") {
      line.help = true;
      return line;
    }
    if (starts_with(argument, "-") && argument != "-") {
      if (std::string problem = take_option(argument, argc, argv, i, options, budget_given);
          !problem.empty()) {
        return {.problem = std::move(problem)};
      }
    } else {
      programs.emplace_back(argument);
    }
  }
  if (programs.size() != 2) {
    return {.problem = "ab needs two programs, PROGRAM_A and PROGRAM_B, and was given " +
                       std::to_string(programs.size())};
  }
  if (budget_given && options.request.settings.rounds) {
    return {.problem = "options '--budget' and '--rounds' cannot go together: the rounds are a fixed count, "
                       "however long they take"};
  }
  if (!options.request.settings.rounds && !budget_given) {
    options.request.settings.budget_seconds = default_budget_seconds;
  }
  // A round is two slices, one after the other where they cannot run side
  // by side; a budget that cannot hold one would be spent before the first.
  if (const double round = 2 * options.request.settings.slice_seconds;
      options.request.settings.budget_seconds && *options.request.settings.budget_seconds < round) {
    return {.problem = text::formatted("a budget of %g s cannot hold one round of two %g s slices: give "
                                       "--budget %g or more, or a shorter --slice",
                                       *options.request.settings.budget_seconds,
                                       options.request.settings.slice_seconds, round)};
  }
  if (!options.request.settings.seed_given) {
    options.request.settings.seed = ab::fresh_seed();
  }
  options.request.names[0] = programs[0];
  options.request.names[1] = programs[1];
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
