#include "copies/machine_figures.h"

#include "pass/figures.h"

#include <algorithm>

namespace copies {

MachineFigures machine_figures(const std::vector<pass::PassTiming> &copies, double work_units_per_copy) {
  const auto by_start = [](const auto &a, const auto &b) { return a.start < b.start; };
  const auto by_end = [](const auto &a, const auto &b) { return a.end < b.end; };
  const auto by_elapsed = [](const auto &a, const auto &b) { return a.elapsed < b.elapsed; };
  const auto [earliest, latest] = std::minmax_element(copies.begin(), copies.end(), by_start);
  const double elapsed = std::max_element(copies.begin(), copies.end(), by_end)->end - earliest->start;
  const auto [fastest, slowest] = std::minmax_element(copies.begin(), copies.end(), by_elapsed);
  return {.elapsed = elapsed,
          .rate = pass::pass_rate(static_cast<double>(copies.size()) * work_units_per_copy, elapsed),
          .fastest_copy = fastest->elapsed,
          .slowest_copy = slowest->elapsed,
          .start_spread = latest->start - earliest->start,
          .earliest_start = earliest->start};
}

} // namespace copies
