#pragma once

#include <cstdint>

// The state the workload works on. It lives for the whole process, starts at
// zero and is never reset, so every outer iteration and both timed passes
// continue from what the previous one left behind.
namespace workload {

extern double T;
extern double T1;
extern double T2;
extern double E1[4];
extern std::int32_t J;
extern std::int32_t K;
extern std::int32_t L;
extern double X1;
extern double X2;
extern double X3;
extern double X4;

} // namespace workload
