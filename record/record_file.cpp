#include "record/record_file.h"

#include "report/formatted.h"

namespace record {

std::string RecordFile::failure() const {
  if (file_.failure().empty()) {
    return {};
  }
  return "megawhets: cannot write " + what_ + " to '" + report::printable(file_.path()) + "': " + file_.failure() +
         "\n";
}

} // namespace record
