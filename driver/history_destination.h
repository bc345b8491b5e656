#pragma once

#include "record/run_record.h"

#include <string>

namespace driver {

// Where --db sends the run's record: a history, which takes it once the
// run is over, as one transaction beside any other process's.
class HistoryDestination {
public:
  explicit HistoryDestination(std::string path) : path_(std::move(path)) {}

  // A file that is not a history (or a newer megawhets's) fails the run
  // before anything runs, with the reason on standard error. The history is
  // closed again: nothing holds it while the passes run, and nothing of it
  // passes into the copies' processes.
  bool ready() const;

  // Stores the record as --json writes it. False, with the reason on
  // standard error, when it could not be stored; the history then holds
  // what it held before.
  bool deliver(const record::RunRecord &run) const;

private:
  std::string path_;
};

} // namespace driver
