#include "driver/output_file.h"

#include "text/printable.h"

namespace driver {

std::string OutputFile::failure() const {
  if (file_.failure().empty()) {
    return {};
  }
  return "megawhets: cannot write " + what_ + " to " + text::quoted(file_.path()) + ": " + file_.failure() + "\n";
}

} // namespace driver
