#include "platform/cpuinfo.h"

#include <array>

namespace platform {
namespace {

constexpr std::string_view blanks = " \t";

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::string with_blanks_folded(std::string_view text) {
  std::string folded;
  for (const char c : text) {
    const bool blank = blanks.find(c) != std::string_view::npos;
    if (!blank) {
      folded += c;
    } else if (!folded.empty() && folded.back() != ' ') {
      folded += ' ';
    }
  }
  return folded;
}

// x86 and 32-bit ARM say "model name"; POWER says "cpu".
constexpr std::array<std::string_view, 2> model_keys = {"model name", "cpu"};

std::string value_of(std::string_view cpuinfo, std::string_view key) {
  while (!cpuinfo.empty()) {
    const auto end = cpuinfo.find('\n');
    const std::string_view line = cpuinfo.substr(0, end);
    cpuinfo = end == std::string_view::npos ? std::string_view{} : cpuinfo.substr(end + 1);
    const auto colon = line.find(':');
    if (colon != std::string_view::npos && trimmed(line.substr(0, colon)) == key) {
      return tidy_processor_model(line.substr(colon + 1));
    }
  }
  return {};
}

} // namespace

std::string tidy_processor_model(std::string_view name) { return with_blanks_folded(trimmed(name)); }

std::string processor_model_in_cpuinfo(std::string_view cpuinfo) {
  for (const std::string_view key : model_keys) {
    if (std::string model = value_of(cpuinfo, key); !model.empty()) {
      return model;
    }
  }
  return {};
}

} // namespace platform
