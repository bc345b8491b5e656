#pragma once

#include "compare/comparison.h"
#include "text/printable.h"

#include <algorithm>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// What the program's commands share in reading their options, so that an
// option's value and a number are read the same way everywhere.
namespace driver {

// An option's value, given as "--name=value" or as the next argument.
struct OptionValue {
  std::string value;
  std::string as_given; // "--name=value", "--name value" or "--name", for a message
  bool absent = false;  // the option came last, with nothing after it for a value
};

// Nothing when argv[i] is not the option; otherwise its value (empty when
// none was given), with i moved past the argument that held it.
std::optional<OptionValue> option_value(std::string_view name, int argc, const char *const *argv, int &i);

// Plain decimal, such as 15 or 2.5: no sign, exponent or hexadecimal, which
// strtod would also take.
std::optional<double> plain_decimal(std::string_view text);

// A level (alpha) in any decimal notation strtod reads (0.01, .05, 5e-2,
// 1E-3), strictly between 0 and 1; inf, nan and hexadecimal, which strtod
// also reads, are refused.
std::optional<double> level(std::string_view text);

// The smallest level a comparison is judged at. Below about 2e-15 the
// sequential rule's first look, which spends 1/40 of alpha, would ask for a
// confidence of 1 - alpha/40, which a double holds only as 1, and the
// statistics refuse a certainty; a round figure well clear of that serves
// every command alike.
constexpr double smallest_level = 1e-14;
static_assert(1.0 - smallest_level / 40 < 1.0,
              "the first look's share of the smallest level must stay below 1");

// Why a level given as `as_given` is refused, or empty when it is taken.
std::string level_problem(std::string_view as_given, const std::optional<double> &value);
// Takes --alpha's value into `alpha`: empty when taken, or why not.
std::string read_level(double &alpha, const OptionValue &given);

// What --format takes, the same for every command that judges records.
enum class OutputFormat { table, markdown, csv, json };
std::optional<OutputFormat> output_format_named(std::string_view text);
// Why --format's value, given as `as_given`, is refused, or empty.
std::string format_problem(const OptionValue &given);

// Why a value that must name something (a file, a group) is empty, or
// empty when it is not: "option '--html' needs a file name".
std::string missing_value_problem(const OptionValue &given, std::string_view option, std::string_view needed);

// A number in plain decimal strictly between 0 and 100, as --slow takes it.
std::optional<double> open_percentage(std::string_view text);
constexpr std::string_view open_percentage_needed = "needs a percentage between 0 and 100, such as --slow=5";

// Takes an option's value, as read from its text, into `target`; where the
// text did not read, refuses it as "option '--slow=0' needs ...", quoting
// the option as it was given.
template <class Target, class Value>
std::string read_into(Target &target, const OptionValue &given, const std::optional<Value> &value,
                      std::string_view needed) {
  if (!value) {
    return "option " + text::quoted(given.as_given) + " " + std::string(needed);
  }
  target = *value;
  return {};
}

// The keys --by names, comma-separated ("host,label"), in the order given;
// none where one is not a key.
std::optional<std::vector<compare::Key>> keys_named(std::string_view text);

// Whether an option stands alone (--strict), takes a value (--by host,
// --by=host), or takes one only attached with = (--auto=30), as GNU reads an
// optional value.
enum class Takes { nothing, value, attached };

// One line of a command's table of options: the option, and what taking it
// does to what the command line is read into. `take` answers with why the
// value is refused (one line, or what stands for it), or with an empty
// Refusal when it was taken.
template <class Reading, class Refusal = std::string> struct OptionRule {
  std::string_view name;
  Takes takes;
  Refusal (*take)(const OptionValue &given, Reading &reading);
};

// How a command reads its arguments, in order, as getopt does: its table,
// what an argument that is not an option is (empty when taken, or why it is
// refused), and what an option it does not know is answered with.
template <class Reading> struct Grammar {
  std::span<const OptionRule<Reading>> options;
  std::string (*operand)(std::string_view argument, Reading &reading);
  std::string (*unknown)(std::string_view argument);
  bool dash_is_operand = true; // "-" names standard input rather than an option
};

// What a command's arguments came to: its help, why they are refused, or
// what they were read into.
template <class Reading> struct ReadArguments {
  bool help = false;
  Reading options{};
  std::string problem{}; // one line for standard error, when the command line is refused
};

// The names of a table's options, each once, and --help, for what a
// mistyped one meant.
template <class Rules> std::vector<std::string_view> option_names(const Rules &rules) {
  std::vector<std::string_view> names;
  for (const auto &rule : rules) {
    if (std::find(names.begin(), names.end(), rule.name) == names.end()) {
      names.push_back(rule.name);
    }
  }
  names.push_back("--help");
  return names;
}

// "unknown option '--x' (did you mean --y?)", or with `otherwise` when no
// known option is close: " for compare".
std::string unknown_option_problem(std::string_view argument, std::span<const std::string_view> known,
                                   std::string_view otherwise);

// Nothing when argv[i] is not in the table; otherwise why it was refused,
// or an empty text when it was taken, with i moved past its value.
template <class Reading, class Refusal>
std::optional<Refusal> take_listed_option(std::span<const OptionRule<Reading, Refusal>> rules, int argc,
                                          const char *const *argv, int &i, Reading &reading) {
  const std::string_view argument = argv[i];
  for (const OptionRule<Reading, Refusal> &rule : rules) {
    if (rule.takes == Takes::nothing && argument == rule.name) {
      return rule.take({"", std::string(rule.name)}, reading);
    }
    if (rule.takes == Takes::attached && argument.starts_with(rule.name) &&
        argument.substr(rule.name.size()).starts_with('=')) {
      return rule.take({std::string(argument.substr(rule.name.size() + 1)), std::string(argument)}, reading);
    }
    if (rule.takes == Takes::value) {
      if (const auto given = option_value(rule.name, argc, argv, i)) {
        return rule.take(*given, reading);
      }
    }
  }
  return std::nullopt;
}

// Arguments from argv[first] on, each taken as it comes: --help shows the
// help whatever follows it, and the first argument refused ends the reading.
template <class Reading>
ReadArguments<Reading> read_arguments(const Grammar<Reading> &grammar, int first, int argc,
                                      const char *const *argv, Reading reading = {}) {
  ReadArguments<Reading> read{.options = std::move(reading)};
  for (int i = first; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--help") {
      read.help = true;
      return read;
    }
    const bool option = argument.starts_with("-") && !(grammar.dash_is_operand && argument == "-");
    if (option) {
      const auto taken =
          take_listed_option<Reading, std::string>(grammar.options, argc, argv, i, read.options);
      read.problem = taken ? *taken : grammar.unknown(argument);
    } else {
      read.problem = grammar.operand(argument, read.options);
    }
    if (!read.problem.empty()) {
      return read;
    }
  }
  return read;
}

} // namespace driver
