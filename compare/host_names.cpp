#include "compare/host_names.h"

#include <algorithm>

namespace compare {

bool is_plain_host_name(std::string_view name) {
  const auto allowed = [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_';
  };
  return !name.empty() && name.size() <= longest_host_name && name.front() != '-' &&
         std::all_of(name.begin(), name.end(), allowed);
}

} // namespace compare
