#include "driver/dialogue.h"

#include "auto_counts/count_choice.h"
#include "auto_counts/probe.h"
#include "driver/console.h"
#include "driver/count_reader.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace driver {
namespace {

const char inner_prompt[] = "Number of inner loops (suggest more than 3): ";
const char outer_prompt[] = "Number of outer loops (suggest more than 1): ";

// The probe that chooses the counts takes at most this share of the time
// asked for.
constexpr double probe_share = 0.1;

// Writes the prompt and waits for the count; on failure the reason is on
// standard error and the run must end.
std::optional<CountReading> ask_count(const char *prompt, const char *count_name,
                                      std::optional<EarlierCount> earlier = {}) {
  write_output(prompt);
  if (!flush_output()) {
    return std::nullopt;
  }
  const CountReading reading = read_count(stdin);
  if (reading.problem != CountProblem::none) {
    const std::string found =
        reading.problem == CountProblem::not_an_integer ? text_instead_of_count(stdin, reading) : "";
    end_output_line_on_terminal();
    write_error(count_problem_message(count_name, reading, found, earlier));
    return std::nullopt;
  }
  return reading;
}

// A probe measures the machine and the counts follow from it; the dialogue
// shows each as if it had been typed.
pass::Counts choose_counts(double seconds) {
  const pass::Counts chosen =
      auto_counts::choose_counts(auto_counts::seconds_per_unit(seconds * probe_share), seconds);
  write_output(std::string(inner_prompt) + std::to_string(chosen.inner) + "\n" + outer_prompt +
               std::to_string(chosen.outer) + "\n");
  return chosen;
}

} // namespace

std::optional<pass::Counts> read_counts(const RunOptions &options) {
  if (options.auto_seconds) {
    return choose_counts(*options.auto_seconds);
  }
  const auto inner = ask_count(inner_prompt, "inner loop count");
  if (!inner) {
    return std::nullopt;
  }
  const auto outer =
      ask_count(outer_prompt, "outer loop count", EarlierCount{"inner loop count", inner->value, inner->text_follows});
  if (!outer) {
    return std::nullopt;
  }
  return pass::Counts{inner->value, outer->value};
}

} // namespace driver
