#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>

// The runs the block probe makes, in the order it makes them: every block,
// 1 to 10, at each of 0, c and 2c iterations. Under qemu the runs carry no
// names, so the checker tells them apart by their place in this order.
namespace fidelity {

inline constexpr int probed_blocks = 10;

// Block 10 starts every run from the same x and drives it towards 1, where
// the logarithm and exponential take cheaper paths after a few thousand
// iterations; 2c stays well below that so each of its iterations costs the
// same.
inline constexpr std::uint32_t probed_c = 1000;
inline constexpr std::uint32_t probed_iterations[] = {0, probed_c, 2 * probed_c};

inline constexpr std::size_t probe_runs = probed_blocks * std::size(probed_iterations);

struct ProbeRun {
  int block = 0;
  std::uint32_t iterations = 0;
};

constexpr ProbeRun probe_run(std::size_t index) {
  return {.block = static_cast<int>(index / std::size(probed_iterations)) + 1,
          .iterations = probed_iterations[index % std::size(probed_iterations)]};
}

} // namespace fidelity
