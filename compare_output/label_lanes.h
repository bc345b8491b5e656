#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace compare_output {

// A label's extent along the axis, in pixels.
struct LabelSpan {
  double start = 0.0;
  double end = 0.0;
};

// A lane (0, 1, ...) for each label, in the order given, such that labels in
// one lane lie at least `gap` apart. Taking the labels from the left, each
// goes to the first lane it fits: which uses as few lanes as any placement
// can, since the labels that overlap at one point need a lane each.
std::vector<std::size_t> label_lanes(std::span<const LabelSpan> spans, double gap);

} // namespace compare_output
