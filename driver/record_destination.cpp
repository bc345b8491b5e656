#include "driver/record_destination.h"

#include "driver/console.h"
#include "record/json_record.h"

namespace driver {

RecordDestination::RecordDestination(const std::string &path) : path_(path) {
  if (!path.empty() && path != "-") {
    file_.emplace(path);
  }
}

bool RecordDestination::ready() const {
  if (file_ && !file_->ready()) {
    write_error(file_->failure());
    return false;
  }
  return true;
}

bool RecordDestination::deliver(const record::RunRecord &run) {
  if (path_.empty()) {
    return true;
  }
  const std::string text = record::record_json(run);
  if (takes_standard_output()) {
    return write_to_standard_output(text, "the run record");
  }
  if (!file_->commit(text)) {
    write_error(file_->failure());
    return false;
  }
  return true;
}

} // namespace driver
