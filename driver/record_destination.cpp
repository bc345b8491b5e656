#include "driver/record_destination.h"

#include "driver/console.h"
#include "platform/interrupts.h"
#include "record/json_record.h"
#include "text/formatted.h"
#include "text/printable.h"

#include <filesystem>
#include <system_error>

namespace driver {
namespace {

const char *const stage_names[] = {"before pass 1", "during pass 1", "during pass 2", "after pass 2"};

} // namespace

RecordDestination::RecordDestination(const std::string &path) : path_(path) {
  if (path.empty() || path == "-") {
    return;
  }
  std::error_code error;
  const std::string name = text::quoted(path);
  const std::string held = std::filesystem::exists(path, error) ? name + " keeps what it held before the run"
                                                                : "no " + name + " was written";
  for (std::size_t stage = 0; stage < interrupt_notes_.size(); ++stage) {
    interrupt_notes_[stage] =
        "\nmegawhets: the run was interrupted " + std::string(stage_names[stage]) + "; " + held + "\n";
  }
  file_.emplace(path);
  interrupts_name(RunStage::before_passes);
}

void RecordDestination::interrupts_name(RunStage stage) {
  if (file_ && file_->ready()) {
    platform::note_on_interrupt(interrupt_notes_[static_cast<std::size_t>(stage)].c_str());
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
