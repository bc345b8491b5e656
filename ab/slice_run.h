#pragma once

#include "pass/counts.h"
#include "platform/programs.h"

#include <chrono>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

// One slice: a normal run of a megawhets program, given its counts as a
// user would type them, its record read from its standard output. Several
// programs' slices can run at once, released together.
namespace ab {

using Clock = std::chrono::steady_clock;

// Where a slice runs: the program, and the processor it is held to, if any.
struct SliceRequest {
  std::string path{};
  std::optional<unsigned> processor{};
};

// How long a slice may take before it is taken for a program that hangs.
struct SliceLimits {
  // From its start to its first prompt: the self-check takes about a
  // millisecond, but a program's first start under an emulator, or on a
  // machine busy swapping, takes seconds.
  std::chrono::milliseconds prompt{60000};
  // From the counts to its end.
  std::chrono::milliseconds run{600000};
};

// The most a slice's standard output may hold: a record is a few
// kilobytes, so anything near this is not one.
constexpr std::size_t largest_record_text = 1 << 20;

// The most of its standard error kept: the report, the context line and
// the warnings fit many times over.
constexpr std::size_t largest_report_kept = 64 * 1024;

// Why a slice did not run to its end.
enum class SliceFailure {
  none,
  not_started,            // the system could not start it
  no_prompt,              // it ended, or wrote too much, before it asked for its counts
  no_prompt_in_time,      // it did not ask for its counts within the limit
  stopped_reading_counts, // it closed its input before its counts were written
  too_much_output,        // it wrote more to standard output than any record holds
  no_end_in_time,         // it did not end within the limit after its counts
  lingered                // it closed its output but did not end, and was ended
};

// Whether the failure came before the program asked for its counts: then
// it is no program to compare, rather than one that failed in a slice.
constexpr bool before_counts(SliceFailure failure) {
  return failure == SliceFailure::not_started || failure == SliceFailure::no_prompt ||
         failure == SliceFailure::no_prompt_in_time;
}

// What one program's slice gave.
struct ProgramSlice {
  std::string record_text{}; // its standard output
  std::string report{};      // its standard error: the prompts, the report, the context line, the warnings
  platform::ProgramEnding ending{};
  Clock::time_point started{}; // when its first words after the counts arrived: its passes had begun
  Clock::time_point ended{};
  SliceFailure failure = SliceFailure::none;
  std::string start_failure{};              // for not_started: why, in the system's words
  std::chrono::milliseconds waited_limit{}; // for the failures of a limit (and lingered): the limit

  bool interrupted = false; // ended early by an interrupt or termination request
};

// Starts each program with `--json -`, waits until every one has asked for
// its counts (its self-check is then done), writes "INNER OUTER" to all of
// them at one instant, so that their passes start together, and collects
// what they give until each has ended. On an interrupt or termination
// request (platform::interrupt_requested), or a failure of any, the others
// are ended too, so that no program is left running.
std::vector<ProgramSlice> run_slices(std::span<const SliceRequest> requests, const pass::Counts &counts,
                                     const SliceLimits &limits);

// The last line the program wrote to standard error, escaped for a
// terminal and cut to 200 bytes: what it said of a failure.
std::string last_words(const ProgramSlice &slice);

} // namespace ab
