#!/usr/bin/env python3
"""Writes the records of runs made over months: hosts that run megawhets
every so often, some of which change speed from a given run on, as
`megawhets history` finds them. Each record is one that
tests/compare/synthetic_records.py makes, started at its own time.

    history_records.py [options] OUT_DIR

Examples:

    # 50 nodes run monthly for two years; node-0017 loses 6 % from its 14th
    # run, node-0033 drifts down 1 % a run from its 18th
    history_records.py --hosts 50 --runs 24 --every 30 \\
        --step node-0017:14:-6 --drift node-0033:18:-1 fleet/
    # a kernel update slows every node by 3 % from run 20
    history_records.py --hosts 20 --runs 30 --every 7 --step all:20:-3 fleet/
"""
import datetime
import json
import pathlib
import random
import sys

# Beside it where installed among the examples, in tests/compare in the
# source tree.
sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "compare"))
sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
import synthetic_records  # noqa: E402

FIRST_DAY = datetime.datetime(2025, 1, 6, 2, 0, 0)


def changes(items, what):
    """'HOST:RUN:PERCENT,...' as [(host, run, percent)]: the host's rate
    from that run (counted from 1) on."""
    found = []
    for item in items or []:
        for part in item.split(","):
            host, _, rest = part.partition(":")
            run, _, percent = rest.partition(":")
            try:
                found.append((host, int(run), float(percent)))
            except ValueError:
                raise SystemExit(f"history_records: {what} '{part}' is not HOST:RUN:PERCENT") from None
    return found


def level(host, run, steps, drifts):
    """The host's change in percent at this run, from its steps and drifts."""
    percent = 0.0
    for name, start, size in steps:
        if name in (host, "all") and run >= start:
            percent += size
    for name, start, size in drifts:
        if name in (host, "all") and run >= start:
            percent += size * (run - start + 1)
    return percent


def make(args):
    hosts = synthetic_records.host_names(args)
    plan = synthetic_records.Plan(hosts=hosts, processors=synthetic_records.named_figures(args.processors, "processor"),
                                  noise=args.noise, warned=args.warned, seed=args.seed)
    rng = random.Random(args.seed)
    models = synthetic_records.host_models(plan)
    steps, drifts = changes(args.step, "--step"), changes(args.drift, "--drift")
    builds = [build.split(" ", 1) for build in args.builds.split(",")] if args.builds else None
    own = {host: rng.gauss(0.0, args.noise / 2) for host in hosts}
    records = []
    for host in hosts:
        model, typical = models[host]
        for run in range(1, args.runs + 1):
            percent = own[host] + level(host, run, steps, drifts) + rng.gauss(0.0, args.noise)
            steady = typical * (1.0 + percent / 100.0)
            kind = "interference" if rng.random() < args.warned else None
            record = synthetic_records.run_record(host, model, args.label, steady, kind, len(records), plan, rng)
            started = FIRST_DAY + datetime.timedelta(days=args.every * (run - 1), minutes=hosts.index(host))
            record["started_at"] = started.strftime("%Y-%m-%dT%H:%M:%SZ")
            if builds:
                compiler, version = builds[(run - 1) * len(builds) // args.runs]
                record["build"]["compiler"], record["build"]["compiler_version"] = compiler, version
            records.append((host, record))
    return records


def main(argv):
    parser = synthetic_records.fleet_parser(__doc__.split("\n\n")[0])
    parser.add_argument("--runs", type=int, default=12, help="runs per host (default 12)")
    parser.add_argument("--every", type=float, default=1.0, help="days between a host's runs (default 1)")
    parser.add_argument("--step", action="append", help="HOST:RUN:PERCENT: the host (or all) changes by PERCENT "
                                                        "from its RUN-th run on")
    parser.add_argument("--drift", action="append", help="HOST:RUN:PERCENT: the host (or all) drifts by PERCENT a "
                                                         "run from its RUN-th run on")
    parser.add_argument("--builds", help="COMPILER VERSION,...: the runs go through these builds in turn, in equal "
                                         "stretches (default: synthetic_records.py's one build)")
    parser.add_argument("--label", help="every run's label (default: none)")
    parser.add_argument("--noise", type=float, default=0.7, help="run-to-run spread, in percent (default 0.7)")
    parser.add_argument("--warned", type=float, default=0.03, help="the share of runs with a warning (default 0.03)")
    parser.add_argument("--seed", type=int, default=1, help="the same seed makes the same records (default 1)")
    parser.add_argument("--one-file", action="store_true", help="append every record to OUT_DIR/runs.json")
    args = parser.parse_args(argv)
    records = make(args)
    files = synthetic_records.write_records(records, args.out_dir, args.one_file)
    print(f"history_records: {len(records)} records in {len(files)} files in {args.out_dir}", file=sys.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
