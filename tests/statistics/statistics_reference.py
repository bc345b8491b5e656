#!/usr/bin/env python3
"""Works out, with SciPy, the figures the statistics of `megawhets compare`
must reproduce, and writes them as the C++ table that
reference_table_test.cpp includes.

    statistics_reference.py TABLE           writes the table
    statistics_reference.py --check TABLE   exits 1 unless TABLE is what it would write

Made with SciPy 1.10.1. Every figure comes from SciPy or NumPy, or for the
Hodges-Lehmann estimates from every pair written out and sorted; only the
rules that are the program's own choices are restated here: which test a
sample gets (exact or normal, statistics/u_distribution.h and
signed_rank_distribution.h), the records-needed rule
(statistics/records_needed.h) and how an interval's ranks are chosen
(statistics/hodges_lehmann.h). Where a distribution is past what SciPy's
exact method can hold in memory, its figures come from its counts worked
out in whole numbers.
"""
import fractions
import functools
import math
import random
import sys
import warnings

import numpy
from scipy import stats

SCIPY_EXACT_TABLE = 600000
MOST_ADDITIONS = 2**27
MOST_DOUBLES = 2**22
ALPHA = 0.05
POWER = 0.8
LEAST_RECORDS = 4
MOST_RECORDS = 1000


def rates(seed, count, low, high, decimals):
    """Steady rates in megaWhets/second, rounded as a record's might be."""
    generator = random.Random(seed)
    return [round(generator.uniform(low, high), decimals) for _ in range(count)]


def median_interval(values, confidence):
    """The ranks (from 1) and coverage of the narrowest interval between
    order statistics whose coverage reaches the confidence, or None."""
    n = len(values)
    tail = (1 - confidence) / 2
    outside = [j for j in range(n) if stats.binom.cdf(j, n, 0.5) <= tail]
    if not outside:
        return None
    low_rank = max(outside) + 1
    coverage = 1 - 2 * stats.binom.cdf(low_rank - 1, n, 0.5)
    return low_rank, n + 1 - low_rank, float(coverage)


def u_within_reach(n1, n2, u):
    """Whether the program works out P(U <= u) exactly (statistics/u_distribution.h)."""
    rows, columns = sorted((min(n1, u), min(n2, u)))
    return u < MOST_DOUBLES and (rows + 1) * (u + 1) <= MOST_DOUBLES and rows * columns * (u + 1) <= MOST_ADDITIONS


def signed_rank_within_reach(n, t):
    """Whether the program works out P(T+ <= t) exactly (statistics/signed_rank_distribution.h)."""
    return t < MOST_DOUBLES and min(n, t) * (t + 1) <= MOST_ADDITIONS


def u_statistic(first, second):
    return sum((a > b) + 0.5 * (a == b) for a in first for b in second)


def u_test_method(first, second):
    """The program's choice (statistics/mann_whitney.cpp)."""
    n1, n2 = len(first), len(second)
    ties = len(set(first + second)) < n1 + n2
    u = u_statistic(first, second)
    smaller = int(min(u, n1 * n2 - u))
    return "exact" if not ties and u_within_reach(n1, n2, smaller) else "asymptotic"


def samples_with_u(n1, n2, u):
    """Two samples without ties whose U (pairs with the first's value the larger) is u."""
    second = [2.0 * j for j in range(n2)]
    first = []
    for i in range(n1):
        below = min(n2, u)
        u -= below
        first.append(2.0 * below - 1.0 + i / (2.0 * n1))
    assert u == 0
    return first, second


def u_test(first, second, alternative, method):
    """SciPy's U test. For its exact method SciPy keeps one table of counts
    for all calls, grown to the largest sizes and U asked of it so far
    (gigabytes, for five hundred a side after sixty at the middle): a fresh
    one for each call keeps its memory to what the call needs."""
    stats._mannwhitneyu._mwu_state = stats._mannwhitneyu._MWU()
    return stats.mannwhitneyu(first, second, alternative=alternative, method=method, use_continuity=True)


@functools.lru_cache(maxsize=None)
def u_counts_by_integers(n1, n2):
    """The number of orderings with each U, 0 to n1 n2, in whole numbers: the
    Gaussian binomial coefficient's, one factor at a time."""
    small, large = sorted((n1, n2))
    counts = [1] + [0] * (n1 * n2)
    for i in range(1, small + 1):
        for u in range(n1 * n2, large + i - 1, -1):
            counts[u] -= counts[u - (large + i)]
        for u in range(i, n1 * n2 + 1):
            counts[u] += counts[u - i]
    return counts


def signed_rank_counts_by_integers(n):
    """The number of sign patterns with each T+, 0 to n (n + 1) / 2, in whole
    numbers: the coefficients of (1 + q)(1 + q^2)...(1 + q^n)."""
    counts = [1] + [0] * (n * (n + 1) // 2)
    for i in range(1, n + 1):
        for t in range(len(counts) - 1, i - 1, -1):
            counts[t] += counts[t - i]
    return counts


def lower_tails(counts, total):
    """P(S <= s) for each s, exactly."""
    running = 0
    tails = []
    for count in counts:
        running += count
        tails.append(fractions.Fraction(running, total))
    return tails


def exact_u_p(first, second):
    """The exact test's two-sided p: SciPy's where its table is small enough
    to make in seconds, from whole numbers past that."""
    n1, n2 = len(first), len(second)
    u = u_statistic(first, second)
    smaller = int(min(u, n1 * n2 - u))
    if (n1 + 1) * (n2 + 1) * (smaller + 1) <= SCIPY_EXACT_TABLE:
        return float(u_test(first, second, "two-sided", "exact").pvalue)
    tail = lower_tails(u_counts_by_integers(n1, n2), math.comb(n1 + n2, n1))[smaller]
    return min(1.0, float(2 * tail))


def critical_rank(tails, count, sd, confidence):
    """The largest C with P(S <= C - 1) at most (1 - confidence) / 2, with its
    coverage: from the exact lower tails where given, else the normal
    approximation with the continuity correction (statistics/hodges_lehmann.h)."""
    tail = (1 - confidence) / 2
    mean = count / 2
    if tails is not None:
        within = [s for s, below in enumerate(tails) if below <= tail]
        if not within:
            return None
        return within[-1] + 1, float(1 - 2 * tails[within[-1]])
    place = mean + 0.5 - stats.norm.ppf(1 - tail) * sd
    if abs(place - round(place)) < 1e-6:
        sys.exit(f"an interval's rank {place} lies too near a whole number to be a fair case")
    rank = math.floor(place)
    if rank < 1:
        return None
    return rank, float(1 - 2 * stats.norm.cdf((rank - 0.5 - mean) / sd))


def records_needed(superiority, alpha):
    """Noether's formula, or the least separate groups that reach alpha."""
    if superiority in (0.0, 1.0):
        n = next(n for n in range(1, MOST_RECORDS + 1) if 2 / math.comb(2 * n, n) < alpha)
        return min(max(n, LEAST_RECORDS), MOST_RECORDS)
    z_sum = stats.norm.ppf(1 - alpha / 2) + stats.norm.ppf(POWER)
    if 6 * (superiority - 0.5) ** 2 * MOST_RECORDS <= z_sum**2:
        return MOST_RECORDS
    exact = z_sum**2 / (6 * (superiority - 0.5) ** 2)
    if abs(exact - round(exact)) < 1e-6:
        sys.exit(f"records needed {exact} lies too near a whole number to be a fair case")
    return min(max(math.ceil(exact), LEAST_RECORDS), MOST_RECORDS)


SAMPLES = [
    ("one value", [5021.5], 0.95),
    ("two values", [5021.5, 4980.25], 0.95),
    ("five values, too few for 95 %", rates(1, 5, 4900, 5100, 2), 0.95),
    ("six values, the fewest for 95 %", rates(2, 6, 4900, 5100, 2), 0.95),
    ("seven values with ties", [5000.0, 5002.0, 5000.0, 4998.5, 5002.0, 5010.0, 4990.0], 0.95),
    ("ten values", rates(3, 10, 4900, 5100, 2), 0.95),
    ("twenty-five values", rates(4, 25, 4000, 6000, 3), 0.95),
    ("twenty-five values at 99 %", rates(4, 25, 4000, 6000, 3), 0.99),
    ("forty values at 90 %", rates(5, 40, 4950, 5050, 1), 0.90),
    ("a hundred and one values", rates(6, 101, 3000, 9000, 2), 0.95),
    ("eight identical values", [5000.0] * 8, 0.95),
]

U_TESTS = [
    ("one against one", [2.0], [1.0]),
    ("three against four", [5010.0, 4990.0, 5030.0], [4980.0, 5000.0, 4970.0, 4960.0]),
    ("four against four apart", [5101.0, 5102.0, 5103.0, 5104.0], [5001.0, 5002.0, 5003.0, 5004.0]),
    ("five against five overlapping", rates(10, 5, 4900, 5100, 2), rates(11, 5, 4950, 5150, 2)),
    ("eight against eight shifted", rates(12, 8, 4900, 5100, 2), rates(13, 8, 5000, 5200, 2)),
    ("interleaved, no difference", [1.0, 4.0, 5.0, 8.0, 9.0, 12.0, 13.0, 16.0, 17.0, 20.0],
     [2.0, 3.0, 6.0, 7.0, 10.0, 11.0, 14.0, 15.0, 18.0, 19.0]),
    ("twelve against fifteen", rates(14, 12, 4900, 5100, 3), rates(15, 15, 4920, 5120, 3)),
    ("thirty-three against thirty-four, the largest exact pair", rates(16, 33, 4900, 5100, 4),
     rates(17, 34, 4930, 5130, 4)),
    ("thirty-four against thirty-four, just beyond", rates(18, 34, 4900, 5100, 4),
     rates(19, 34, 4930, 5130, 4)),
    ("three against three hundred", rates(20, 3, 5050, 5150, 4), rates(21, 300, 4900, 5100, 4)),
    ("sixty against eighty", rates(22, 60, 4900, 5100, 4), rates(23, 80, 4910, 5110, 4)),
    ("one tie between the samples", [1.0, 2.0, 3.0, 4.0, 5.0], [5.0, 6.0, 7.0, 8.0, 9.0]),
    ("six against seven with ties", [10.0, 11.0, 11.0, 12.0, 13.0, 13.0],
     [12.0, 13.0, 14.0, 14.0, 15.0, 16.0, 17.0]),
    ("twenty against twenty-five with ties", rates(24, 20, 4990, 5010, 0), rates(25, 25, 4995, 5015, 0)),
    ("two hundred against a hundred and fifty with ties", rates(26, 200, 4990, 5010, 0),
     rates(27, 150, 4991, 5011, 0)),
    ("each constant, the two different", [1.0] * 4, [2.0] * 4),
    ("all identical", [3.0] * 4, [3.0] * 4),
    ("thirty-four against thirty-four at U = 738, just significant", *samples_with_u(34, 34, 738)),
    ("forty against forty far out, U = 5", *samples_with_u(40, 40, 5)),
    ("sixty against sixty at the middle", *samples_with_u(60, 60, 1799)),
    ("a hundred and fifty against a hundred and fifty, U = 12", *samples_with_u(150, 150, 12)),
    ("five hundred against five hundred apart, near the least normal double", *samples_with_u(500, 500, 0)),
    ("four against four hundred", rates(28, 4, 5000, 5100, 4), rates(29, 400, 4950, 5150, 4)),
]

# Distributions past what SciPy's exact method holds in memory, at the
# program's exact bounds: (n1, n2, u) and P(U <= u) from whole numbers.
U_TAILS_BY_INTEGERS = [(127, 127, 8064), (127, 127, 7000), (41, 400, 7800), (41, 400, 4000)]

SHIFTS = [
    ("four against four apart", [5001.0, 5002.0, 5003.0, 5004.0], [5101.0, 5102.0, 5103.0, 5104.0], 0.95),
    ("three against three, too few for 95 %", [5001.0, 5002.0, 5003.0], [5101.0, 5102.0, 5103.0], 0.95),
    ("a shift hidden by the medians' tie", [9000.0] * 9 + [10000.0] * 10, [10000.0] * 10 + [11000.0] * 9, 0.95),
    ("ten against twelve", rates(30, 10, 4900, 5100, 2), rates(31, 12, 4950, 5150, 2), 0.95),
    ("ten against twelve at 99 %", rates(30, 10, 4900, 5100, 2), rates(31, 12, 4950, 5150, 2), 0.99),
    ("thirty-four against thirty-four", rates(32, 34, 4900, 5100, 3), rates(33, 34, 4880, 5080, 3), 0.95),
    ("twenty against twenty-five with ties", rates(24, 20, 4990, 5010, 0), rates(25, 25, 4995, 5015, 0), 0.95),
    ("two hundred against a hundred and fifty: normal ranks", rates(34, 200, 4900, 5100, 2),
     rates(35, 150, 4910, 5110, 2), 0.95),
]

LOCATIONS = [
    ("five log ratios, too few for 95 %", [0.011, -0.004, 0.02, 0.007, 0.013], 0.95),
    ("six log ratios, the fewest for 95 %", [0.011, -0.004, 0.02, 0.007, 0.013, 0.002], 0.95),
    ("twenty with ties", [round(value, 2) for value in rates(36, 20, -0.05, 0.08, 4)], 0.95),
    ("fifty at 90 %", rates(37, 50, -0.02, 0.03, 5), 0.90),
    ("a thousand: normal ranks", rates(38, 1000, -0.1, 0.12, 6), 0.95),
]

SIGNED_RANK_TESTS = [
    ("one difference", [0.5]),
    ("ten, no zeros or ties", [0.3, -0.1, 0.7, 0.25, -0.05, 0.9, 0.15, 0.6, -0.35, 0.45]),
    ("all positive: the least p for six", [1.0, 2.0, 3.0, 4.0, 5.0, 6.0]),
    ("fifty", rates(40, 50, -0.03, 0.05, 6)),
    ("eighty, exact beyond SciPy's own choice", rates(41, 80, -0.04, 0.04, 6)),
    ("three hundred all positive, far out", [float(value) for value in range(1, 301)]),
    ("with zeros, dropped", [0.0, 0.2, -0.1, 0.0, 0.4, 0.3, -0.6, 0.8, 0.5, 0.7, 0.9]),
    ("with ties", [0.1, -0.1, 0.2, 0.2, -0.2, 0.3, 0.4, 0.4, 0.5, -0.5, 0.6, 0.7]),
    ("a hundred with ties", [round(value, 2) for value in rates(42, 100, -0.3, 0.5, 4)]),
]

# Past 1074 values 2^-n is below the smallest double; at 0.9375 and 0.78125
# the coverage of the chosen ranks equals the confidence exactly.
INTERVAL_SIZES = [(n, 0.95) for n in (6, 7, 8, 9, 10, 11, 12, 20, 50, 100, 500, 1000, 1074, 1075, 1100, 5000,
                                      10000)]
INTERVAL_SIZES += [(5, 0.9), (5, 0.9375), (6, 0.78125), (6, 0.99), (8, 0.99), (200, 0.99), (200, 0.5), (3, 0.5),
                   (2, 0.5)]


def number(value):
    return repr(float(value))


def numbers(values):
    return "{" + ", ".join(number(value) for value in values) + "}"


def sample_rows():
    for name, values, confidence in SAMPLES:
        interval = median_interval(values, confidence)
        mad = stats.median_abs_deviation(values, scale=1.0)
        if interval is None:
            figures = "false, 0, 0, 0.0, 0.0, 0.0"
        else:
            low_rank, high_rank, coverage = interval
            ordered = sorted(values)
            figures = (f"true, {low_rank}, {high_rank}, {number(ordered[low_rank - 1])}, "
                       f"{number(ordered[high_rank - 1])}, {number(coverage)}")
        yield (f'{{"{name}", {numbers(values)}, {number(numpy.median(values))}, {number(mad)}, '
               f"{number(confidence)}, {figures}}}")


def u_tail_rows():
    for n1, n2, u in U_TAILS_BY_INTEGERS:
        tail = lower_tails(u_counts_by_integers(n1, n2), math.comb(n1 + n2, n1))[u]
        yield f"{{{n1}, {n2}, {u}, {number(tail)}}}"


def interval_figures(pairs, critical):
    """The interval's figures from every pair written out."""
    if critical is None:
        return "{false, 0, 0.0, 0.0, 0.0, false}"
    rank, coverage, exact = critical
    ordered = sorted(pairs)
    return (f"{{true, {rank}, {number(ordered[rank - 1])}, {number(ordered[len(ordered) - rank])}, "
            f"{number(coverage)}, {'true' if exact else 'false'}}}")


def with_method(critical, exact):
    return None if critical is None else (*critical, exact)


def shift_rows():
    for name, first, second, confidence in SHIFTS:
        n1, n2 = len(first), len(second)
        differences = [b - a for a in first for b in second]
        count = n1 * n2
        exact = u_within_reach(n1, n2, count // 2)
        sd = math.sqrt(count * (n1 + n2 + 1) / 12)
        tails = lower_tails(u_counts_by_integers(n1, n2), math.comb(n1 + n2, n1)) if exact else None
        critical = critical_rank(tails, count, sd, confidence)
        yield (f'{{"{name}", {numbers(first)}, {numbers(second)}, {number(confidence)}, '
               f"{number(numpy.median(differences))}, {interval_figures(differences, with_method(critical, exact))}}}")


def location_rows():
    for name, values, confidence in LOCATIONS:
        n = len(values)
        walsh = [(values[i] + values[j]) / 2 for i in range(n) for j in range(i, n)]
        count = len(walsh)
        exact = signed_rank_within_reach(n, count // 2)
        sd = math.sqrt(n * (n + 1) * (2 * n + 1) / 24)
        tails = lower_tails(signed_rank_counts_by_integers(n), 2**n) if exact else None
        critical = critical_rank(tails, count, sd, confidence)
        yield (f'{{"{name}", {numbers(values)}, {number(confidence)}, {number(numpy.median(walsh))}, '
               f"{interval_figures(walsh, with_method(critical, exact))}}}")


def signed_rank_rows():
    for name, differences in SIGNED_RANK_TESTS:
        nonzero = [value for value in differences if value != 0]
        sizes = [abs(value) for value in nonzero]
        ranks = stats.rankdata(sizes)
        positive = float(sum(rank for rank, value in zip(ranks, nonzero) if value > 0))
        negative = float(sum(rank for rank, value in zip(ranks, nonzero) if value < 0))
        exact = (len(nonzero) == len(differences) and len(set(sizes)) == len(sizes)
                 and signed_rank_within_reach(len(nonzero), int(min(positive, negative))))
        with warnings.catch_warnings():
            # SciPy advises against the normal approximation for fewer than
            # ten differences; with zeros or ties the program uses it all the same.
            warnings.simplefilter("ignore", UserWarning)
            result = stats.wilcoxon(differences, zero_method="wilcox", correction=True, alternative="two-sided",
                                    method="exact" if exact else "approx")
        yield (f'{{"{name}", {numbers(differences)}, {number(positive)}, {number(negative)}, '
               f'{number(result.pvalue)}, {"true" if exact else "false"}}}')


def u_test_rows():
    for name, first, second in U_TESTS:
        method = u_test_method(first, second)
        u = u_statistic(first, second)
        p = exact_u_p(first, second) if method == "exact" else u_test(first, second, "two-sided", method).pvalue
        superiority = u / (len(first) * len(second))
        yield (f'{{"{name}", {numbers(first)}, {numbers(second)}, {number(u)}, '
               f'{number(p)}, {"true" if method == "exact" else "false"}, '
               f"{records_needed(superiority, ALPHA)}}}")


def interval_rank_rows():
    for n, confidence in INTERVAL_SIZES:
        interval = median_interval(list(range(n)), confidence)
        if interval is None:
            yield f"{{{n}, {number(confidence)}, false, 0, 0.0}}"
        else:
            yield f"{{{n}, {number(confidence)}, true, {interval[0]}, {number(interval[2])}}}"


def table():
    def block(kind, name, rows):
        return f"const {kind} {name}[] = {{\n" + "".join(f"    {row},\n" for row in rows) + "};\n"

    return ("// Written by statistics_reference.py from SciPy's figures; change the script, not this file.\n"
            "// clang-format off\n"
            + block("SampleReference", "sample_references", sample_rows())
            + block("UTestReference", "u_test_references", u_test_rows())
            + block("IntervalRankReference", "interval_rank_references", interval_rank_rows())
            + block("UTailReference", "u_tail_references", u_tail_rows())
            + block("ShiftReference", "shift_references", shift_rows())
            + block("LocationReference", "location_references", location_rows())
            + block("SignedRankReference", "signed_rank_references", signed_rank_rows())
            + "// clang-format on\n")


def main(arguments):
    if len(arguments) == 2 and arguments[0] == "--check":
        with open(arguments[1], encoding="utf-8") as committed:
            if committed.read() != table():
                sys.exit(f"{arguments[1]} differs from what statistics_reference.py writes: "
                         "rerun the script to write it anew")
        return
    if len(arguments) != 1:
        sys.exit(__doc__)
    with open(arguments[0], "w", encoding="utf-8") as written:
        written.write(table())


if __name__ == "__main__":
    main(sys.argv[1:])
