#!/usr/bin/env python3
"""A plain transcription of the workload, written apart from the C++ code.

Python's floats are IEEE doubles and it keeps every operation as written, in
the order written, so the state it computes is the one the program must
reach. Run with a header of known states, it checks each value there;
without one it prints them.

    workload.py [self_check/known_states.h]
"""
import math
import re
import sys

MASK = 0xFFFFFFFF
T, T1, T2 = 0.499975, 0.50025, 2.0


def signed(value):
    value &= MASK
    return value - (1 << 32) if value & 0x80000000 else value


def four_lines(a, b, c, d, last_divisor=None):
    a = (a + b + c - d) * T
    b = (a + b - c + d) * T
    c = (a - b + c + d) * T
    d = (-a + b + c + d) / last_divisor if last_divisor else (-a + b + c + d) * T
    return a, b, c, d


def outer_iteration(state, n):
    """Runs one outer iteration on `state` and returns its locals Z and X."""
    n &= MASK
    counts = {block: (factor * n) & MASK for block, factor in
              ((2, 12), (3, 14), (5, 210), (7, 899), (8, 616), (9, 512), (10, 93))}
    x = state["X"]
    for _ in range(n - 1 if n > 1 else 0):
        x = list(four_lines(*x))
    state["X"] = x
    e = [1.0, -1.0, -1.0, -1.0]
    for _ in range(counts[2]):
        e = list(four_lines(*e))
    for _ in range(counts[3]):
        for _ in range(6):
            e = list(four_lines(*e, last_divisor=T2))
    state["J"], state["K"], state["L"] = 1, 2, 3
    if counts[5]:
        e[0] = e[1] = 6.0
    z = 1.0
    for _ in range(counts[7]):
        u = T * (1.0 + 1.0)
        v = T * (u + 1.0)
        z = (u + v) / T2
    j, k, l = 0, 1, 2
    e[0], e[1], e[2] = 1.0, 2.0, 3.0
    for _ in range(counts[8]):
        e[j] = e[k]
        e[k] = e[l]
        e[l] = e[j]
    state["E1"] = e
    j, k = 2, 34
    for _ in range(counts[9]):
        j = (j + k) & MASK
        k = (j + k) & MASK
        j = (j - k) & MASK
        k = (k - j - j) & MASK
    state["J"], state["K"], state["L"] = signed(j), signed(k), l
    r = 1.0 / T1
    x10 = 0.75
    for _ in range(counts[10]):
        x10 = math.exp(math.log(x10) * 0.5 * r)
    return z, x10


INNER_COUNTS = (1, 2, 100)


def known_states():
    state = {"X": [0.0] * 4, "E1": [0.0] * 4, "J": 0, "K": 0, "L": 0}
    for n in INNER_COUNTS:
        z, x10 = outer_iteration(state, n)
        yield n, state["E1"], state["J"], state["K"], state["L"], state["X"], z, x10


NUMBER = r"(-?[0-9.e+-]+)"
ROW = re.compile(r"\{(\d+),\s*\{" + r",\s*".join([NUMBER] * 4) + r"\},\s*" + r",\s*".join([NUMBER] * 5) + r"\}")


def check(header):
    rows = {int(m.group(1)): [float(v) for v in m.groups()[1:]] for m in ROW.finditer(open(header).read())}
    faults = []
    for n, e1, j, k, l, x, z, x10 in known_states():
        expected = e1 + [j, k, l, z, x10]
        got = rows.get(n)
        if got is None:
            faults.append(f"no row for inner count {n}")
            continue
        for name, want, have in zip(("E1[0]", "E1[1]", "E1[2]", "E1[3]", "J", "K", "L", "Z", "X"), expected, got):
            close = abs(have - want) <= 1e-12 * abs(want) if name == "X" else have == want
            if not close:
                faults.append(f"inner count {n}: {name} is {have!r} in the header, {want!r} here")
        if any(v != 0.0 for v in x):
            faults.append(f"inner count {n}: X1 to X4 left zero")
    if len(rows) != len(INNER_COUNTS):
        faults.append(f"the header has {len(rows)} rows, not {len(INNER_COUNTS)}")
    print("\n".join(faults) or f"{len(rows)} known states agree")
    return not faults


if __name__ == "__main__":
    if len(sys.argv) > 1:
        sys.exit(0 if check(sys.argv[1]) else 1)
    for n, e1, j, k, l, x, z, x10 in known_states():
        print(f"{{{n}, {{{', '.join(repr(v) for v in e1)}}}, {j}, {k}, {l}, {z!r}, {x10!r}}},")
