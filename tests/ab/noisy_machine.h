#pragma once

#include <cstdint>
#include <random>
#include <vector>

// A model of a noisy machine's speed, as a cloud guest or a laptop shows it,
// to feed the paired statistics and the stopping rule rounds whose truth is
// known. Its log speed drifts slowly (a random walk and a slow swing), jumps
// now and then to a new level (a neighbour arrives, the frequency changes),
// and a slice now and then loses a share to a burst of other work; each
// slice adds its own small noise.
namespace ab_test {

struct Noise {
  double walk = 0.003;       // the random walk's step per slice, in log speed
  double swing = 0.03;       // the slow swing's amplitude
  double swing_slices = 60;  // and its period
  double jump_chance = 0.02; // a jump per slice
  double jump = 0.04;        // its size's standard deviation
  double burst_chance = 0.05;
  double burst_low = 0.05;   // a burst takes this much of a slice's speed, up to
  double burst_high = 0.3;
  double slice = 0.007;      // each slice's own noise
  double processor = 0.005;  // duet: the processors' difference's standard deviation
};

enum class Mode { interleaved, duet };

// One comparison's rounds: ln(B / A) of each, B's true change being
// `log_effect`. Interleaved, A's and B's slices take turns in an order
// drawn each round, so the machine's drift between them falls on either;
// in duet they run at once on two processors that differ, swapped each
// round.
std::vector<double> rounds_on_noisy_machine(std::size_t rounds, double log_effect, Mode mode, const Noise &noise,
                                            std::mt19937_64 &random);

} // namespace ab_test
