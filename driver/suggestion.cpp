#include "driver/suggestion.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace driver {
namespace {

constexpr std::size_t most_letters_wrong = 2;

// Letters changed, added, removed, or two neighbours swapped, to turn one
// text into the other.
std::size_t edits_between(std::string_view a, std::string_view b) {
  const std::size_t columns = b.size() + 1;
  std::vector<std::size_t> d((a.size() + 1) * columns);
  const auto at = [&](std::size_t i, std::size_t j) -> std::size_t & { return d[i * columns + j]; };
  for (std::size_t i = 0; i <= a.size(); ++i) {
    at(i, 0) = i;
  }
  for (std::size_t j = 0; j <= b.size(); ++j) {
    at(0, j) = j;
  }
  for (std::size_t i = 1; i <= a.size(); ++i) {
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t changed = a[i - 1] == b[j - 1] ? 0 : 1;
      at(i, j) = std::min({at(i - 1, j) + 1, at(i, j - 1) + 1, at(i - 1, j - 1) + changed});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
        at(i, j) = std::min(at(i, j), at(i - 2, j - 2) + 1);
      }
    }
  }
  return at(a.size(), b.size());
}

std::string_view name_of(std::string_view option) {
  option = option.substr(0, option.find('='));
  return option.substr(std::min<std::size_t>(option.find_first_not_of('-'), option.size()));
}

} // namespace

std::optional<std::string_view> closest_option(std::string_view given, std::span<const std::string_view> known) {
  const std::string_view typed = name_of(given);
  std::optional<std::string_view> closest;
  std::size_t fewest = most_letters_wrong + 1;
  bool tied = false;
  for (const std::string_view option : known) {
    const std::string_view name = name_of(option);
    const std::size_t edits =
        std::min(edits_between(typed, name), edits_between(typed, name.substr(0, typed.size())));
    // Fewer than half the letters typed may be wrong, so that "--x" is not
    // taken for any option that has an x.
    if (2 * edits >= typed.size() || edits > fewest) {
      continue;
    }
    tied = edits == fewest;
    if (edits < fewest) {
      fewest = edits;
      closest = option;
    }
  }
  return tied ? std::nullopt : closest;
}

} // namespace driver
