#include "record/record_file.h"

#include "text/formatted.h"
#include "text/printable.h"

namespace record {

std::string RecordFile::failure() const {
  if (file_.failure().empty()) {
    return {};
  }
  return "megawhets: cannot write " + what_ + " to '" + text::printable(file_.path()) +
         "': " + file_.failure() + "\n";
}

} // namespace record
