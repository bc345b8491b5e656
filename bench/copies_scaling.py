#!/usr/bin/env python3
"""How the program's figures hold up when the passes run in copies.

    bench/copies_scaling.py [PROGRAM] [INNER OUTER] [RUNS]

Runs PROGRAM (default build/release/megawhets) RUNS times (default 5) each
plainly, with --copies 1 and with --copies 2, then once with --copies 4, all
with the counts INNER and OUTER (default 20000 10), and prints:

- the median pass-2 rate of each, and --copies 1 against the plain run;
- the machine-wide rate of --copies 2 against --copies 1;
- the gate's start spread (latest copy's start minus the earliest's) over
  every pass of the --copies 2 runs;
- what --copies 4 printed.

It measures: run it on an otherwise idle machine.
"""
import json
import statistics
import subprocess
import sys


def run(program, counts, arguments):
    done = subprocess.run([program, "--json", "-", *arguments], input=counts, capture_output=True, text=True,
                          encoding="latin-1", check=False)
    return json.loads(done.stdout), done.stderr


def main():
    program = sys.argv[1] if len(sys.argv) > 1 else "build/release/megawhets"
    counts = " ".join(sys.argv[2:4]) + "\n" if len(sys.argv) > 3 else "20000 10\n"
    runs = int(sys.argv[4]) if len(sys.argv) > 4 else 5
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
