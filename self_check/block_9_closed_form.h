#pragma once

#include <cstdint>

namespace self_check {

struct IntegerPair {
  std::uint32_t j;
  std::uint32_t k;
};

// J and K after block 9's iterations, without running them: one iteration
// maps (J, K) to (-K, J + 4K) modulo 2^32, a linear map, so the count's
// binary digits pick the powers of its matrix to apply, in O(log count)
// steps.
IntegerPair block_9_after(std::uint32_t iterations);

} // namespace self_check
