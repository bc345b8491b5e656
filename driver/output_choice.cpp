#include "driver/output_choice.h"

#include "driver/console.h"
#include "driver/output_file.h"

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

bool write_whole_file(const std::string &path, const std::string &text, const char *what) {
  OutputFile file(path, what);
  if (!file.ready() || !file.commit(text)) {
    write_error(file.failure());
    return false;
  }
  return true;
}

bool write_documents(const OutputChoice &outputs, const Documents &documents) {
  bool written = true;
  if (goes_to_a_file(outputs.json_path)) {
    written = write_whole_file(outputs.json_path, documents.json, documents.what) && written;
  }
  if (goes_to_a_file(outputs.html_path)) {
    written = write_whole_file(outputs.html_path, documents.page, "the page") && written;
  }
  written = write_table(documents.table, standard_output_taken(outputs), documents.what) && written;
  if (outputs.json_path == "-") {
    written = write_to_standard_output(documents.json, documents.what) && written;
  }
  if (outputs.html_path == "-") {
    written = write_to_standard_output(documents.page, "the page") && written;
  }
  return written;
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
