#pragma once

#include "driver/output_file.h"
#include "record/run_record.h"

#include <array>
#include <optional>
#include <string>

namespace driver {

// Where a run stands, for what an interrupt says of it.
enum class RunStage { before_passes, pass_1, pass_2, after_passes };

// Where --json sent the record: a file, standard output, or nowhere.
class RecordDestination {
public:
  explicit RecordDestination(const std::string &path);

  // A file that cannot be made fails the run before anything runs.
  bool ready() const;

  bool takes_standard_output() const { return path_ == "-"; }

  // False, with the reason on standard error, when the record could not be
  // written; the file, if any, is then as it was before the run.
  bool deliver(const record::RunRecord &run);

  // From now on an interrupt says, on a line of its own, where the run
  // stood and what the record's file holds: what it held before, or
  // nothing, as there was none yet.
  void interrupts_name(RunStage stage);

private:
  std::string path_;
  std::optional<OutputFile> file_;
  // Made before anything can be interrupted: a signal handler only writes.
  std::array<std::string, 4> interrupt_notes_{};
};

} // namespace driver
