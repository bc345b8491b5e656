#pragma once

#include <cstddef>
#include <optional>

namespace statistics {

// A group of fewer records is never judged. Three against three cannot
// reach p < 0.05 exactly (at best 2 / C(6, 3) = 0.1), and though three
// against a larger base can (2 / C(8, 3) = 0.036 against five), a verdict
// on three runs turns on any one of them having been disturbed.
inline constexpr std::size_t least_records_per_group = 4;

// The answer for a difference too small to find, and for any larger need:
// a thousand records per group find a shift of an eighth of a standard
// deviation between normally spread rates, and no one runs more to chase
// less.
inline constexpr std::size_t most_records_needed = 1000;

// The power at which records_needed plans.
inline constexpr double planned_power = 0.8;

// How many records per group a difference like the one seen would need for
// the two-sided U test at level alpha (0 < alpha < 1, else
// std::invalid_argument) to find it with probability planned_power, given
// the estimated probability of superiority U / (n1 n2), between 0 and 1
// (std::invalid_argument otherwise).
//
// Noether's formula (JASA 82, 1987, 645-647) for groups of equal size,
//   n = (z(1 - alpha/2) + z(power))^2 / (6 (superiority - 1/2)^2),
// rounded up. It needs no assumption about the rates' distribution, only the
// effect measured in the test's own terms. Samples that do not overlap at
// all (a superiority of 0 or 1) are the exception: the formula, an
// approximation, asks 6 per group there at alpha 0.05, while two separate
// groups of n reach p = 2 / C(2n, n) exactly, so the answer is the least n
// at which that falls below alpha, 4 at 0.05.
//
// The answer is at least least_records_per_group and at most
// most_records_needed, which stands for "that many or more".
std::size_t records_needed(double superiority, double alpha);

// The least p-value the U test can give any two samples of n1 and n2
// values: that of the two samples apart, each all alike. The normal
// approximation with the tie correction then gives less than the exact
// test's 2 / C(n1 + n2, n1) for samples apart without ties (0.013 against
// 0.029 for 4 against 4), and no other outcome gives less (checked for every
// outcome of every pair of sizes up to 5 against 6).
double least_p_value(std::size_t n1, std::size_t n2);

// The fewest records a group needs against n_other records for some
// outcome to be significant at alpha (0 < alpha < 1, else
// std::invalid_argument): below it, a verdict can only be "too few", never
// "no difference". Against as many records as it has, that is 3 at 0.05
// (where a group is judged from 4 on), 4 at 0.02, 5 at 0.01, 7 at 0.001 and
// 9 at 0.0001; against a single record, 6 at 0.05.
// None against no records, where nothing can be shown; against one or
// more, a million records reach any alpha.
std::optional<std::size_t> least_records_to_separate(double alpha, std::size_t n_other);

} // namespace statistics
