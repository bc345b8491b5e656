#include "driver/output_paths.h"

#include "compare_output/printable_text.h"
#include "driver/option_reading.h"
#include "platform/files.h"

namespace driver {

std::string output_clash(const std::vector<NamedOutput> &outputs, const std::vector<NamedInput> &inputs) {
  for (std::size_t index = 0; index < outputs.size(); ++index) {
    const NamedOutput &output = outputs[index];
    if (output.path.empty()) {
      continue;
    }
    for (std::size_t later = index + 1; later < outputs.size(); ++later) {
      const NamedOutput &other = outputs[later];
      if (other.path.empty()) {
        continue;
      }
      if (output.path == other.path || (output.path != "-" && other.path != "-" &&
                                         platform::same_file(output.path, other.path))) {
        return "megawhets: options '" + output.option + "' and '" + other.option + "' both name " +
               quoted(output.path) + ": one would replace the other; give each its own " +
               (output.path == "-" ? "place\n" : "file\n");
      }
    }
    if (output.path == "-") {
      continue;
    }
    for (const NamedInput &input : inputs) {
      if (input.path != "-" && platform::same_file(output.path, input.path)) {
        return "megawhets: option '" + output.option + " " + compare_output::printable_text(output.path) + "' names " +
               quoted(input.path) + ", " + input.role + ": the output would take its place; give it another name\n";
      }
    }
  }
  return {};
}

} // namespace driver
