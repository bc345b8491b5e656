#include "statistics/open_probability.h"

#include <cstdio>
#include <stdexcept>
#include <string>

namespace statistics {

void require_open_probability(double value, const char *what) {
  if (value > 0.0 && value < 1.0) {
    return;
  }
  char shown[32];
  std::snprintf(shown, sizeof shown, "%g", value);
  throw std::invalid_argument(std::string("compare: the ") + what +
                              " must lie strictly between 0 and 1, not " + shown);
}

} // namespace statistics
