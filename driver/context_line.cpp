#include "driver/context_line.h"

namespace driver {
namespace {

std::string machine_description(const Machine &machine) {
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

std::string context_line(std::string_view version, std::string_view build, const Machine &machine) {
  std::string line(version);
  if (!build.empty()) {
    line += ": ";
    line += build;
  }
  if (const std::string described = machine_description(machine); !described.empty()) {
    line += (build.empty() ? ": " : "; ") + described;
  }
  return line + "\n";
}

} // namespace driver
