#include "driver/output_choice.h"

namespace driver {
namespace {

// Standard output is a place an output can be sent, so an empty value is
// answered with both.
constexpr std::string_view file_or_dash = "a file name, or - for standard output";

} // namespace

bool goes_to_a_file(const std::string &path) { return !path.empty() && path != "-"; }

bool standard_output_taken(const OutputChoice &outputs) {
  return outputs.json_path == "-" || outputs.html_path == "-";
}

std::string refused_outputs(const OutputChoice &outputs, const std::vector<NamedInput> &inputs,
                            const std::vector<NamedOutput> &directories, const std::string &placement) {
  std::vector<NamedOutput> files{{"--json", outputs.json_path}, {"--html", outputs.html_path}};
  std::vector<NamedOutput> all = files;
  all.insert(all.end(), directories.begin(), directories.end());
  if (std::string clash = output_clash(all, inputs); !clash.empty()) {
    return clash;
  }
  if (!placement.empty()) {
    return placement;
  }
  return outputs.force ? std::string() : precious_output(files);
}

std::string take_format(const OptionValue &given, OutputChoice &outputs) {
  std::string problem = format_problem(given);
  if (problem.empty()) {
    outputs.format = *output_format_named(given.value);
    outputs.format_given = true;
  }
  return problem;
}

std::string take_json(const OptionValue &given, OutputChoice &outputs) {
  outputs.json_path = given.value;
  return missing_value_problem(given, "--json", file_or_dash);
}

std::string take_html(const OptionValue &given, OutputChoice &outputs) {
  outputs.html_path = given.value;
  return missing_value_problem(given, "--html", file_or_dash);
}

} // namespace driver
