#pragma once

#include "ab/slice_run.h"
#include "record/recorded_run.h"
#include "record/run_details.h"

#include <optional>
#include <string>
#include <vector>

// What a slice's program gave, read as its record: the figures a normal run
// reports, or why there are none.
namespace ab {

enum class SliceProblem {
  none,
  // No megawhets program of this record schema: it could not be started,
  // asked for no counts, or wrote no record this megawhets reads.
  not_megawhets,
  // It is one, but its self-check failed: its arithmetic is not the
  // workload's, so its figures mean nothing.
  self_check_failed,
  // It failed or crashed during the slice, or gave no figure.
  failed,
  // An interrupt or termination request ended it.
  interrupted
};

struct ReadSlice {
  SliceProblem problem = SliceProblem::none;
  // Why, as a phrase after the program's name: "is not megawhets: it ended
  // with status 0 without asking for its counts".
  std::string message{};
  std::optional<record::RecordedRun> run{}; // set when there is a record, even one with a failed self-check
  // What the record says beyond the run: its counts, its passes' times,
  // pass 2's figures by processor time. Set when there is a run.
  record::RunDetails details{};
  // Both passes' elapsed time, as the record gives it: the slice's own
  // length, without the program's start and end, which an emulator or a
  // busy machine can make long.
  double passes_seconds = 0.0;
};

// The slice's record, held to what the program was asked for: the counts
// sent, a pass 2 rate that its own work and time give, and passes no
// longer than the slice ran, nor far shorter. A record that fails them is
// forged or broken, and the slice failed.
ReadSlice read_slice(const ProgramSlice &slice, const pass::Counts &sent);

} // namespace ab
