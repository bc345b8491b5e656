#include "copies/usable_processors.h"

#include <charconv>
#include <cmath>

namespace copies {
namespace {

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::optional<long long> whole_number(std::string_view text) {
  text = trimmed(text);
  long long value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || result.ec != std::errc{} || result.ptr != text.data() + text.size()) {
    return std::nullopt;
  }
  return value;
}

std::optional<double> quota(std::optional<long long> quota_us, std::optional<long long> period_us) {
  if (!quota_us || !period_us || *quota_us <= 0 || *period_us <= 0) {
    return std::nullopt;
  }
  return static_cast<double>(*quota_us) / static_cast<double>(*period_us);
}

} // namespace

std::optional<double> quota_in_cpu_max(std::string_view cpu_max) {
  cpu_max = trimmed(cpu_max);
  const auto blank = cpu_max.find(' ');
  if (blank == std::string_view::npos) {
    return std::nullopt;
  }
  return quota(whole_number(cpu_max.substr(0, blank)), whole_number(cpu_max.substr(blank + 1)));
}

std::optional<double> quota_in_cfs(std::string_view quota_us, std::string_view period_us) {
  return quota(whole_number(quota_us), whole_number(period_us));
}

unsigned usable_processors(const platform::ProcessorLimits &limits) {
  // The tightest quota on the way to the root holds.
  std::optional<double> quota = quota_in_cfs(limits.cfs_quota_us, limits.cfs_period_us);
  for (const std::string &cpu_max : limits.cpu_max) {
    const std::optional<double> group_quota = quota_in_cpu_max(cpu_max);
    if (group_quota && (!quota || *group_quota < *quota)) {
      quota = group_quota;
    }
  }
  unsigned usable = limits.allowed_by_affinity > 0 ? limits.allowed_by_affinity : 1;
  if (quota && *quota < usable) {
    usable = static_cast<unsigned>(std::ceil(*quota));
  }
  return usable > 0 ? usable : 1;
}

} // namespace copies
