#include "report/context_line.h"

namespace report {
namespace {

std::string machine_description(const platform::Machine &machine) {
  std::string description = machine.processor_model;
  if (machine.processors > 0) {
    if (!description.empty()) {
      description += ", ";
    }
    description +=
        std::to_string(machine.processors) + (machine.processors == 1 ? " processor" : " processors");
  }
  return description;
}

} // namespace

std::string context_line(std::string_view version, std::string_view build, const platform::Machine &machine,
                         unsigned copies, unsigned usable_processors) {
  std::string line(version);
  if (!build.empty()) {
    line += ": ";
    line += build;
  }
  if (const std::string described = machine_description(machine); !described.empty()) {
    line += (build.empty() ? ": " : "; ") + described;
  }
  if (copies > 0) {
    line += "; " + std::to_string(copies) + (copies == 1 ? " copy on " : " copies on ") +
            std::to_string(usable_processors) +
            (usable_processors == 1 ? " usable processor" : " usable processors");
  }
  return line + "\n";
}

} // namespace report
