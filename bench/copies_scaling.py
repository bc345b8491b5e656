#!/usr/bin/env python3
"""How the program's figures hold up when the passes run in copies.

    bench/copies_scaling.py [--program PROGRAM] [--counts INNER OUTER] [--runs RUNS]

Runs PROGRAM (default build/release/megawhets) RUNS times (default 5) each
plainly, with --copies 1 and with --copies 2, then once with --copies 4, all
with the counts INNER and OUTER (default 20000 10), and prints:

- the median pass-2 rate of each, and --copies 1 against the plain run;
- the machine-wide rate of --copies 2 against --copies 1;
- the gate's start spread (latest copy's start minus the earliest's) over
  every pass of the --copies 2 runs;
- what --copies 4 printed.

It measures: run it on an otherwise idle machine. With the defaults it makes
16 runs, about two minutes on a current server core.
"""
import argparse
import json
import statistics
import subprocess
import sys


def run(program, counts, arguments):
    done = subprocess.run([program, "--json", "-", *arguments], input=counts, capture_output=True, text=True,
                          encoding="latin-1", check=False)
    return json.loads(done.stdout), done.stderr


def parsed_arguments():
    parser = argparse.ArgumentParser(
        description="How megawhets' figures hold up when the passes run in copies: each kind of run RUNS "
                    "times, plainly, with --copies 1 and with --copies 2, then once with --copies 4. "
                    "Run it on an otherwise idle machine; with the defaults it takes about two minutes.")
    parser.add_argument("--program", default="build/release/megawhets",
                        help="the megawhets to run (default: %(default)s)")
    parser.add_argument("--counts", nargs=2, type=int, default=[20000, 10], metavar=("INNER", "OUTER"),
                        help="the counts every run is given (default: 20000 10)")
    parser.add_argument("--runs", type=int, default=5, help="runs of each kind (default: %(default)s)")
    given = parser.parse_args()
    if given.runs < 1:
        parser.error("--runs must be at least 1")
    return given


def main():
    given = parsed_arguments()
    program = given.program
    counts = f"{given.counts[0]} {given.counts[1]}\n"
    runs = given.runs
    print(f"{3 * runs + 1} runs of {program} with the counts {counts.strip()}", file=sys.stderr)
    rates = {}
    spreads = []
    for name, arguments in (("plain", []), ("--copies 1", ["--copies", "1"]), ("--copies 2", ["--copies", "2"])):
        rates[name] = []
        for _ in range(runs):
            record, _ = run(program, counts, arguments)
            rates[name].append(record["passes"][1]["megawhets_per_second"])
            spreads += [p["start_spread_seconds"] for p in record["passes"] if name == "--copies 2"]
        print(f"{name:>11}: median pass-2 rate {statistics.median(rates[name]):10.2f} megaWhets/second "
              f"(runs: {', '.join(f'{r:.2f}' for r in rates[name])})")
    plain, one, two = (statistics.median(rates[n]) for n in ("plain", "--copies 1", "--copies 2"))
    print(f"--copies 1 against the plain run: {100 * (one / plain - 1):+.2f} %")
    print(f"--copies 2 against --copies 1: {two / one:.3f} times")
    print(f"start spread of --copies 2: median {1e3 * statistics.median(spreads):.3f} ms, "
          f"largest {1e3 * max(spreads):.3f} ms over {len(spreads)} passes")
    _, printed = run(program, counts, ["--copies", "4"])
    print("--copies 4 wrote on standard error, beside the report:")
    print(printed)


if __name__ == "__main__":
    main()
