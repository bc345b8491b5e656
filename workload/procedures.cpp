#include "workload/procedures.h"

#include "workload/variables.h"

#include <cassert>

namespace workload {

void mix_array(double (&e)[4]) {
  // T and T2 are not changed by anything a call does, so reading them once
  // per call gives the same values as reading them in every line.
  const double t = T;
  const double t2 = T2;
  for (int round = 0; round < 6; ++round) {
    e[0] = (e[0] + e[1] + e[2] - e[3]) * t;
    e[1] = (e[0] + e[1] - e[2] + e[3]) * t;
    e[2] = (e[0] - e[1] + e[2] + e[3]) * t;
    e[3] = (-e[0] + e[1] + e[2] + e[3]) / t2;
  }
}

void mix_pair(const double &x, const double &y, double &z) {
  const double u = T * (x + y);
  const double v = T * (u + y);
  z = (u + v) / T2;
}

void rotate_elements() {
  assert(J >= 0 && J <= 3 && K >= 0 && K <= 3 && L >= 0 && L <= 3);
  E1[J] = E1[K];
  E1[K] = E1[L];
  E1[L] = E1[J];
}

} // namespace workload
