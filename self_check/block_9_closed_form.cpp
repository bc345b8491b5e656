#include "self_check/block_9_closed_form.h"

namespace self_check {
namespace {

// A 2x2 matrix over the integers modulo 2^32, applied to (J, K) as a column.
struct Matrix {
  std::uint32_t a, b, c, d;
};

Matrix times(const Matrix &x, const Matrix &y) {
  return {x.a * y.a + x.b * y.c, x.a * y.b + x.b * y.d, x.c * y.a + x.d * y.c, x.c * y.b + x.d * y.d};
}

} // namespace

IntegerPair block_9_after(std::uint32_t iterations) {
  Matrix power{0, 0xFFFFFFFFU, 1, 4}; // J' = -K, K' = J + 4K
  Matrix result{1, 0, 0, 1};
  for (; iterations != 0; iterations >>= 1) {
    if ((iterations & 1U) != 0) {
      result = times(power, result);
    }
    power = times(power, power);
  }
  const IntegerPair start{2, 34};
  return {result.a * start.j + result.b * start.k, result.c * start.j + result.d * start.k};
}

} // namespace self_check
