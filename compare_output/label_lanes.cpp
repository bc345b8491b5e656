#include "compare_output/label_lanes.h"

#include <algorithm>
#include <numeric>

namespace compare_output {

std::vector<std::size_t> label_lanes(std::span<const LabelSpan> spans, double gap) {
  std::vector<std::size_t> from_left(spans.size());
  std::iota(from_left.begin(), from_left.end(), std::size_t{0});
  std::stable_sort(from_left.begin(), from_left.end(),
                   [&](std::size_t a, std::size_t b) { return spans[a].start < spans[b].start; });
  std::vector<double> lane_ends;
  std::vector<std::size_t> lanes(spans.size());
  for (const std::size_t label : from_left) {
    const auto free = std::find_if(lane_ends.begin(), lane_ends.end(),
                                   [&](double end) { return end + gap <= spans[label].start; });
    lanes[label] = static_cast<std::size_t>(free - lane_ends.begin());
    if (free == lane_ends.end()) {
      lane_ends.push_back(spans[label].end);
    } else {
      *free = spans[label].end;
    }
  }
  return lanes;
}

} // namespace compare_output
