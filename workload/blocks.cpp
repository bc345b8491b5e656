#include "workload/blocks.h"

#include "workload/barriers.h"
#include "workload/variables.h"

#include <cmath>

namespace workload {
namespace {

// The four-line recurrence shared by blocks 1 and 2; each line uses the values
// the lines before it have just produced.
inline void advance_four(double &a, double &b, double &c, double &d, double t) {
  a = (a + b + c - d) * t;
  b = (a + b - c + d) * t;
  c = (a - b + c + d) * t;
  d = (-a + b + c + d) * t;
}

} // namespace

void run_block_1(std::uint32_t iterations) {
  const double t = T;
  for (std::uint32_t i = 0; i < iterations; ++i) {
    advance_four(X1, X2, X3, X4, t);
  }
  observe_all_memory();
}

void run_block_2(std::uint32_t iterations) {
  E1[0] = 1.0;
  E1[1] = -1.0;
  E1[2] = -1.0;
  E1[3] = -1.0;
  const double t = T;
  for (std::uint32_t i = 0; i < iterations; ++i) {
    advance_four(E1[0], E1[1], E1[2], E1[3], t);
  }
  observe_all_memory();
}

// An empty loop is the work here: the counter is made opaque each time round
// so the loop keeps its increment, compare and branch for every iteration.
void run_block_4(std::uint32_t iterations) {
  for (std::uint32_t i = 0; i < iterations; ++i) {
    opaque(i);
  }
}

void run_block_5(std::uint32_t iterations) {
  J = 1;
  K = 2;
  L = 3;
  for (std::uint32_t i = 0; i < iterations; ++i) {
    // Each store is observed on its own, so the two are not merged into one
    // wide store, nor the iterations' stores into one after the loop.
    E1[0] = 6.0;
    opaque_in_memory(E1[0]);
    E1[1] = 6.0;
    opaque_in_memory(E1[1]);
  }
  observe_all_memory();
}

void run_block_6(std::uint32_t iterations) {
  for (std::uint32_t i = 0; i < iterations; ++i) {
    opaque(i);
  }
}

void run_block_9(std::uint32_t iterations) {
  // Two's-complement wrapping done in unsigned arithmetic, where it is defined.
  std::uint32_t j = 2;
  std::uint32_t k = 34;
  for (std::uint32_t i = 0; i < iterations; ++i) {
    // Each line is its own operation; without the barriers the four lines
    // fold into (j, k) = (-k, j + 4k).
    j = j + k;
    opaque(j);
    k = j + k;
    opaque(k);
    j = j - k;
    opaque(j);
    // Two subtractions, not one subtraction of a doubled j: AArch64 would
    // otherwise do k - 2j in a single shifted-operand instruction.
    k = k - j;
    opaque(k);
    k = k - j;
    opaque(k);
  }
  J = static_cast<std::int32_t>(j);
  K = static_cast<std::int32_t>(k);
  observe_all_memory();
}

double run_block_10(std::uint32_t iterations) {
  const double r = 1.0 / T1;
  double x = 0.75;
  for (std::uint32_t i = 0; i < iterations; ++i) {
    x = std::exp(std::log(x) * 0.5 * r);
    // Nothing reads x afterwards; this keeps every iteration's result live.
    opaque(x);
  }
  return x;
}

} // namespace workload
