#include "ab/round_order.h"

#include <chrono>
#include <random>

namespace ab {
namespace {

// SplitMix64 (Steele, Lea and Flood, 2014): each output bit depends on
// every input bit, so consecutive rounds draw independently.
std::uint64_t mixed(std::uint64_t value) {
  value += 0x9E3779B97F4A7C15U;
  value = (value ^ (value >> 30U)) * 0xBF58476D1CE4E5B9U;
  value = (value ^ (value >> 27U)) * 0x94D049BB133111EBU;
  return value ^ (value >> 31U);
}

} // namespace

bool b_runs_first(std::uint64_t seed, std::uint64_t round) { return (mixed(mixed(seed) ^ round) >> 63U) != 0; }

std::uint64_t fresh_seed() {
  std::random_device device;
  const std::uint64_t drawn = (std::uint64_t{device()} << 32U) ^ std::uint64_t{device()};
  const auto now = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  return mixed(drawn ^ mixed(now));
}

} // namespace ab
