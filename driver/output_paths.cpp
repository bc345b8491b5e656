#include "driver/output_paths.h"

#include "driver/option_reading.h"
#include "platform/files.h"
#include "text/printable.h"

#include <cstdio>
#include <string_view>

namespace driver {
namespace {

// The first bytes of a regular file: enough to tell a record's opening key
// from a comparison's, whatever whitespace comes first.
std::string opening_of(const std::string &path) {
  platform::OpenedFile file = platform::open_for_reading(path, true);
  if (file.stream == nullptr) {
    return {};
  }
  std::string text(4096, '\0');
  text.resize(std::fread(text.data(), 1, text.size(), file.stream));
  std::fclose(file.stream);
  return text;
}

// A run's record opens with its schema_version, and has the program that
// wrote it among its top-level members; a comparison's or a history's JSON
// opens with the same key but has no such member (ab's slices name their
// program deeper down, which is why only the top level counts).
bool holds_run_records(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) {
    text.remove_prefix(3);
  }
  const std::size_t start = text.find_first_not_of(" \t\r\n");
  if (start == std::string_view::npos || text[start] != '{') {
    return false;
  }
  text.remove_prefix(start + 1);
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos || !text.substr(first).starts_with("\"schema_version\"")) {
    return false;
  }
  // The top level's keys: strings at depth 1 followed by a colon.
  int depth = 1;
  for (std::size_t at = first; at < text.size() && depth > 0; ++at) {
    const char c = text[at];
    if (c == '{' || c == '[') {
      ++depth;
    } else if (c == '}' || c == ']') {
      --depth;
    } else if (c == '"') {
      const std::size_t begin = at;
      for (++at; at < text.size() && text[at] != '"'; ++at) {
        at += text[at] == '\\' ? 1 : 0;
      }
      const std::size_t colon = text.find_first_not_of(" \t\r\n", at + 1);
      if (depth == 1 && colon != std::string_view::npos && text[colon] == ':' &&
          text.substr(begin, at + 1 - begin) == "\"program\"") {
        return true;
      }
    }
  }
  return false;
}

} // namespace

std::string precious_content(const std::string &path) {
  const std::string text = opening_of(path);
  using namespace std::string_view_literals;
  if (text.starts_with("SQLite format 3\0"sv)) {
    return "a history";
  }
  if (text.starts_with("\x7F"
                       "ELF") ||
      text.starts_with("MZ") || text.starts_with("#!")) {
    return "a program";
  }
  if (holds_run_records(text)) {
    return "run records";
  }
  return {};
}

std::string precious_output(const std::vector<NamedOutput> &outputs) {
  for (const NamedOutput &output : outputs) {
    if (output.path.empty() || output.path == "-") {
      continue;
    }
    if (const std::string content = precious_content(output.path); !content.empty()) {
      return "megawhets: option '" + output.option + " " + text::printable(output.path) +
             "' would replace a file that holds " + content +
             "; give the output another name, or add --force to replace it\n";
    }
  }
  return {};
}

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
      if (output.path == other.path ||
          (output.path != "-" && other.path != "-" && platform::same_file(output.path, other.path))) {
        return "megawhets: options '" + output.option + "' and '" + other.option + "' both name " +
               text::quoted(output.path) + ": one would replace the other; give each its own " +
               (output.path == "-" ? "place\n" : "file\n");
      }
    }
    if (output.path == "-") {
      continue;
    }
    for (const NamedInput &input : inputs) {
      if (input.path != "-" && platform::same_file(output.path, input.path)) {
        return "megawhets: option '" + output.option + " " + text::printable(output.path) + "' names " +
               text::quoted(input.path) + ", " + input.role +
               ": the output would take its place; give it another name\n";
      }
    }
  }
  return {};
}

} // namespace driver
