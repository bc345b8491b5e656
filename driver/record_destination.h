#pragma once

#include "record/record_file.h"
#include "record/run_record.h"

#include <optional>
#include <string>

namespace driver {

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

private:
  std::string path_;
  std::optional<record::RecordFile> file_;
};

} // namespace driver
