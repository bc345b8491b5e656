#include "workload/variables.h"

namespace workload {

double T = 0.0;
double T1 = 0.0;
double T2 = 0.0;
double E1[4] = {0.0, 0.0, 0.0, 0.0};
std::int32_t J = 0;
std::int32_t K = 0;
std::int32_t L = 0;
double X1 = 0.0;
double X2 = 0.0;
double X3 = 0.0;
double X4 = 0.0;

} // namespace workload
