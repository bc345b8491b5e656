#pragma once

namespace statistics {

// Confidence levels, significance levels and the probabilities of quantiles
// all lie strictly between 0 and 1; anything else, not a number included,
// throws std::invalid_argument saying which figure was wrong.
void require_open_probability(double value, const char *what);

} // namespace statistics
