#pragma once

#include <cstdint>

// The workload's state after one outer iteration at each of a few inner
// counts, from an outer iteration's start. These come from a transcription
// of the workload written apart from this program
// (tests/transcription/workload.py, which a test runs against this table),
// never from the program itself. The counts make every block run: block 1
// needs an inner count of 2 or more.
namespace self_check {

struct KnownState {
  std::uint32_t inner;
  double e1[4];
  std::int32_t j;
  std::int32_t k;
  std::int32_t l;
  double block_7_z;
  double block_10_x; // through the C library's log and exp
};

// X1 to X4 start at zero and so stay there.
inline constexpr KnownState known_states[] = {
    {1, {3.0, 2.0, 3.0, -1.1302716215293103}, -990849022, -872241118, 2, 0.999937500625, 0.7598651448882469},
    {2, {3.0, 2.0, 3.0, -1.1272179162351224}, 71413762, -1201319902, 2, 0.999937500625, 0.7694032018169256},
    {100, {3.0, 2.0, 3.0, -0.8663013665380789}, 710172674, -1320574942, 2, 0.999937500625, 0.9972498885615029},
};

} // namespace self_check
