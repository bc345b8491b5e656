#include "noisy_machine.h"

#include <cmath>
#include <numbers>

namespace ab_test {
namespace {

// Draws from the engine's raw output, so that the sequences are the same
// with every standard library.
double uniform(std::mt19937_64 &random) { return static_cast<double>(random() >> 11U) * 0x1.0p-53; }

double normal(std::mt19937_64 &random) {
  // Box-Muller.
  const double u = 1.0 - uniform(random);
  return std::sqrt(-2.0 * std::log(u)) * std::cos(2.0 * std::numbers::pi * uniform(random));
}

class Machine {
public:
  Machine(const Noise &noise, std::mt19937_64 &random)
      : noise_(noise), random_(random), phase_(2.0 * std::numbers::pi * uniform(random)) {}

  // The log speed in the next slice's time.
  double next() {
    level_ += noise_.walk * normal(random_);
    if (uniform(random_) < noise_.jump_chance) {
      level_ += noise_.jump * normal(random_);
    }
    ++slice_;
    return level_ + noise_.swing * std::sin(phase_ + 2.0 * std::numbers::pi * slice_ / noise_.swing_slices);
  }

  // What one slice loses to a burst of other work, and its own noise.
  double disturbance() {
    double lost = 0.0;
    if (uniform(random_) < noise_.burst_chance) {
      lost = std::log1p(-(noise_.burst_low + (noise_.burst_high - noise_.burst_low) * uniform(random_)));
    }
    return lost + noise_.slice * normal(random_);
  }

private:
  const Noise &noise_;
  std::mt19937_64 &random_;
  double phase_;
  double level_ = 0.0;
  double slice_ = 0.0;
};

} // namespace

std::vector<double> rounds_on_noisy_machine(std::size_t rounds, double log_effect, Mode mode, const Noise &noise,
                                            std::mt19937_64 &random) {
  Machine machine(noise, random);
  const double processors = noise.processor * normal(random);
  std::vector<double> ratios;
  for (std::size_t round = 0; round < rounds; ++round) {
    double a = 0.0;
    double b = log_effect;
    if (mode == Mode::interleaved) {
      const bool b_first = (random() >> 63U) != 0;
      const double first = machine.next();
      const double second = machine.next();
      a += b_first ? second : first;
      b += b_first ? first : second;
    } else {
      const double both = machine.next();
      const double swap = round % 2 == 0 ? 1.0 : -1.0;
      a += both + swap * processors / 2;
      b += both - swap * processors / 2;
    }
    a += machine.disturbance();
    b += machine.disturbance();
    ratios.push_back(b - a);
  }
  return ratios;
}

} // namespace ab_test
