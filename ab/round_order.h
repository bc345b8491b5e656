#pragma once

#include <cstdint>

// Which of A and B runs first in each round of an interleaved comparison:
// drawn at random, so that a slow phase of the machine falls on either as
// often, and repeatable from the seed on any system.
namespace ab {

// Whether B's slice comes first in round `round` (from 1). The same seed
// gives the same order everywhere: the draw is SplitMix64's output on the
// seed and the round, not a library's distribution, whose results the C++
// standard leaves to each library.
bool b_runs_first(std::uint64_t seed, std::uint64_t round);

// A seed for a run that was given none: from the system's source of
// randomness and the clock.
std::uint64_t fresh_seed();

} // namespace ab
