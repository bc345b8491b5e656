#!/usr/bin/env python3
"""Writes run records as megawhets --json writes them, for runs that never
happened: hosts of several processor models, labelled changes, run-to-run
noise, some hosts slower than their peers, some runs with a warning, runs in
copies. Tests and the documentation use them to show `megawhets compare`
fleets and experiments of any size without timing anything.

    synthetic_records.py [options] OUT_DIR

Examples:

    # a fleet of 200 hosts of two models, 4 of them 8-20 % slow, a file each
    synthetic_records.py --hosts 200 --slow 4 \\
        --processors 'Intel(R) Xeon(R) Gold 6230 CPU @ 2.10GHz:13000,AMD EPYC 7763 64-Core Processor:15500' fleet/
    # one host, three labels of 10 runs each, appended to one file
    synthetic_records.py --labels 'baseline:0,gcc-13 -O3:+6,C-states off:-0.3' --runs 10 --one-file lab/

Each record holds the fields the schema (record/run-record.schema.json)
requires, and machine.host_name and label besides. The steady rate (pass 2's
fastest group; for a run in copies, the sum of every copy's) is the host's
rate with noise; every other figure follows from it as the program computes
it. --truth FILE writes what was made: each host's model and true slowdown,
and the slow and fast hosts.
"""
import argparse
import datetime
import json
import pathlib
import random
import sys

DEFAULT_PROCESSOR = "Intel(R) Xeon(R) Gold 6230 CPU @ 2.10GHz:13000"
MEGAWHETS_PER_RATE_UNIT = 1.0 / 1024.0
AUTO_SECONDS = 15.0
INNER = 20000  # pass 1's; pass 2 runs twice the inner count
FIRST_START = datetime.datetime(2026, 12, 9, 2, 0, 0)  # a run every 97 seconds from then
BUILD = {"compiler": "g++", "compiler_version": "12.2.0",
         "flags": "-O2 -ffp-contract=off -fstack-protector-strong", "architecture": "x86-64"}


def named_figures(text, what):
    """'NAME:FIGURE,NAME:FIGURE' as [(name, figure)]; the figure after the
    last colon, so that names may hold colons."""
    pairs = []
    for item in text.split(","):
        name, colon, figure = item.rpartition(":")
        if not colon or not name:
            raise SystemExit(f"synthetic_records: {what} '{item}' is not NAME:FIGURE")
        try:
            pairs.append((name, float(figure)))
        except ValueError:
            raise SystemExit(f"synthetic_records: {what} '{item}' has no number after its colon") from None
    return pairs


class Plan:
    """What to make; the defaults give one quiet host."""

    def __init__(self, hosts=None, processors=None, labels=None, runs=1, noise=0.7, slow=0, slow_by=(8.0, 20.0),
                 fast=0, warned=0.05, copies=None, processors_count=2, seed=1):
        self.hosts = hosts or ["node-0001"]
        self.processors = processors or named_figures(DEFAULT_PROCESSOR, "processor")
        self.labels = labels or [(None, 0.0)]
        self.runs = runs
        self.noise = noise
        self.slow = slow
        self.slow_by = slow_by
        self.fast = fast
        self.warned = warned
        self.copies = copies
        self.processors_count = processors_count
        self.seed = seed


def host_models(plan):
    """Each host's processor model and typical steady rate: the hosts in
    blocks, one block per model, in the order given."""
    count = len(plan.hosts)
    return {host: plan.processors[k * len(plan.processors) // count] for k, host in enumerate(plan.hosts)}


def pass_timing(steady, inner, outer, copies, share, shortfall):
    """One pass's figures from its steady rate: the whole pass runs
    `shortfall` below its fastest group."""
    copy_count = copies or 1
    megawhets = steady * (1.0 - shortfall)
    rate = megawhets / MEGAWHETS_PER_RATE_UNIT
    work_units = inner * outer
    elapsed = copy_count * work_units * 100.0 / rate
    return {"megawhets": megawhets, "rate": rate, "work_units": work_units, "elapsed": elapsed, "share": share}


def groups(fastest, slowest, outer):
    return {"outer_per_group": 1, "count": outer, "fastest_megawhets_per_second": fastest,
            "slowest_megawhets_per_second": slowest}


def pass_record(number, inner, outer, timing, steady, copies, rng):
    record = {"pass": number, "inner": inner, "outer": outer, "work_units": timing["work_units"],
              "elapsed_seconds": timing["elapsed"], "rate": timing["rate"],
              "megawhets_per_second": timing["megawhets"]}
    if not copies:
        record.update({"processor_seconds": timing["elapsed"] * timing["share"], "processor_share": timing["share"],
                       "groups": groups(steady, steady * rng.uniform(0.9, 0.97), outer),
                       "start_spread_seconds": None, "copies": []})
        return record
    # A machine's pass in copies: its processor figures are each copy's, and
    # its steady figure the sum of the copies' fastest groups.
    shares = [rng.uniform(0.97, 1.0) for _ in range(copies)]
    fastest = [rng.uniform(0.97, 1.03) for _ in range(copies)]
    scale = steady / sum(fastest)
    offsets = [0.0] + [rng.uniform(0.0, 0.002) for _ in range(copies - 1)]
    rng.shuffle(offsets)
    record.update({"processor_seconds": None, "processor_share": None,
                   "groups": {"outer_per_group": 0, "count": 0, "fastest_megawhets_per_second": None,
                              "slowest_megawhets_per_second": None},
                   "start_spread_seconds": max(offsets), "copies": []})
    for copy in range(copies):
        elapsed = timing["elapsed"] - offsets[copy]
        copy_fastest = fastest[copy] * scale
        record["copies"].append({
            "copy": copy + 1, "start_offset_seconds": offsets[copy], "elapsed_seconds": elapsed,
            "processor_seconds": elapsed * shares[copy], "processor_share": shares[copy],
            "groups": groups(copy_fastest, copy_fastest * rng.uniform(0.9, 0.97), outer)})
    return record


def warning(kind, timing, steady):
    if kind == "interference":
        text = (f"megawhets: warning: pass 2 had the processor for only {timing['share'] * 100:.1f} % of its "
                f"{timing['elapsed']:.3g} seconds: other work on this machine slowed it, so its figures are low; "
                "run again with the machine otherwise idle")
    else:
        text = (f"megawhets: warning: pass 2 ran {(1 - timing['megawhets'] / steady) * 100:.1f} % below its "
                f"fastest group of outer iterations ({timing['megawhets']:.2f} against {steady:.2f} "
                "megaWhets/second): the machine's speed changed during the pass (other virtual machines on the same "
                f"host, frequency changes or throttling); {steady:.2f} is the steadier figure; run again, or compare "
                "steadier figures")
    return {"kind": kind, "pass": 2, "copy": None, "text": text}


def run_record(host, model, label, steady, warned_kind, run_number, plan, rng):
    """One run's record, as megawhets --auto --strict --json writes it."""
    copies = plan.copies
    outer = max(1, round(AUTO_SECONDS * 1.1 * steady / (copies or 1) / (3 * INNER * 100.0 * MEGAWHETS_PER_RATE_UNIT)))
    share = rng.uniform(0.72, 0.9) if warned_kind == "interference" and not copies else rng.uniform(0.995, 1.0)
    shortfall = rng.uniform(0.06, 0.12) if warned_kind == "steadiness" else rng.uniform(0.005, 0.03)
    first = pass_timing(steady * rng.uniform(0.985, 1.0), INNER, outer, copies, share, shortfall)
    second = pass_timing(steady, 2 * INNER, outer, copies, share, shortfall)
    started = FIRST_START + datetime.timedelta(seconds=97 * run_number)
    record = {
        "schema_version": 1,
        "program": {"name": "megawhets", "version": "1.0.0"},
        "label": label,
        "build": dict(BUILD),
        "machine": {"host_name": host, "processor_model": model, "processors": plan.processors_count,
                    "os_name": "Linux", "os_release": "6.1.0-27-amd64"},
        "started_at": started.strftime("%Y-%m-%dT%H:%M:%SZ"),
        "counts": {"inner": INNER, "outer": outer, "chosen_by": "auto", "auto_seconds": AUTO_SECONDS},
        "copies": {"count": copies, "usable_processors": plan.processors_count} if copies else None,
        "passes": [pass_record(1, INNER, outer, first, steady, copies, rng),
                   pass_record(2, 2 * INNER, outer, second, steady, copies, rng)],
        "comparison": {
            "time_error_seconds": second["elapsed"] - 2.0 * first["elapsed"],
            "rate_error_megawhets_per_second": (first["rate"] - second["rate"]) * MEGAWHETS_PER_RATE_UNIT,
            "percent_error": (first["rate"] - second["rate"]) / second["rate"] * 100.0,
            "advice_given": first["elapsed"] + second["elapsed"] < 10.0},
        "self_check": {"passed": True, "mismatch": None},
        "warnings": [warning(warned_kind, second, steady)] if warned_kind else [],
        "exit_status": 4 if warned_kind else 0,
    }
    return record


def make_records(plan):
    """[(host, record)] for every host, label and run, and the truth: each
    host's model and slowdown in percent (negative for a fast host), and the
    slow and the fast hosts in the order given."""
    rng = random.Random(plan.seed)
    models = host_models(plan)
    apart = rng.sample(plan.hosts, min(plan.slow + plan.fast, len(plan.hosts)))
    slow, fast = set(apart[:plan.slow]), set(apart[plan.slow:])
    # A fast host runs as far above its peers as a slow one runs below them.
    slowdown = {host: rng.uniform(*plan.slow_by) * (1 if host in slow else -1) if host in slow | fast else 0.0
                for host in plan.hosts}
    # Each host differs a little from its model's rate, as real machines do.
    own = {host: rng.gauss(0.0, plan.noise / 2) for host in plan.hosts}
    records = []
    for host in plan.hosts:
        model, typical = models[host]
        for label, change in plan.labels:
            for _ in range(plan.runs):
                percent = own[host] + change - slowdown[host] + rng.gauss(0.0, plan.noise)
                steady = typical * (1.0 + percent / 100.0)
                kind = rng.choice(["interference", "steadiness"]) if rng.random() < plan.warned else None
                if plan.copies and kind == "interference":
                    kind = "steadiness"  # a run in copies names the copy; keep to the machine's warning
                records.append((host, run_record(host, model, label, steady, kind, len(records), plan, rng)))
    truth = {"hosts": {host: {"processor_model": models[host][0], "slowdown_percent": slowdown[host]}
                       for host in plan.hosts},
             "slow_hosts": [host for host in plan.hosts if host in slow],
             "fast_hosts": [host for host in plan.hosts if host in fast]}
    return records, truth


def file_name(host):
    return host.replace("/", "_").replace("\0", "_") + ".json"


def write_records(records, out_dir, one_file=False):
    """A file per host, its runs appended one after another as `--json - >>`
    leaves them, or all of them in runs.json. Returns the files written."""
    out_dir = pathlib.Path(out_dir)
    out_dir.mkdir(parents=True, exist_ok=True)
    files = {}
    for host, record in records:
        path = out_dir / ("runs.json" if one_file else file_name(host))
        files.setdefault(path, []).append(json.dumps(record, indent=2, ensure_ascii=False) + "\n")
    for path, texts in files.items():
        path.write_text("".join(texts), encoding="utf-8")
    return list(files)


def percent_range(text):
    low, dash, high = text.partition("-")
    try:
        return (float(low), float(high)) if dash else (float(low), float(low))
    except ValueError:
        raise SystemExit(f"synthetic_records: --slow-by '{text}' is not LOW-HIGH") from None


def fleet_parser(description):
    """The command line every maker of records shares (this one, the
    history's): where they go, and which hosts with which processors make
    them; host_names reads the hosts back."""
    parser = argparse.ArgumentParser(description=description, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("out_dir", metavar="OUT_DIR", help="where the records go (made if missing)")
    parser.add_argument("--hosts", type=int, default=1, help="hosts, named node-0001 and on (default 1)")
    parser.add_argument("--host-names", help="the hosts' names, comma-separated, instead of --hosts")
    parser.add_argument("--processors", default=DEFAULT_PROCESSOR,
                        help="MODEL:RATE,...: processor models and their typical steady rate in megaWhets/second; "
                             f"the hosts take them in blocks (default '{DEFAULT_PROCESSOR}')")
    return parser


def host_names(args):
    return args.host_names.split(",") if args.host_names else [f"node-{k:04d}" for k in range(1, args.hosts + 1)]


def main(argv):
    parser = fleet_parser(__doc__.split("\n\n")[0])
    parser.add_argument("--labels", help="LABEL:PERCENT,...: every host runs every label, PERCENT changing its "
                                         "rate (default: no label)")
    parser.add_argument("--runs", type=int, default=1, help="runs per host and label (default 1)")
    parser.add_argument("--noise", type=float, default=0.7, help="run-to-run spread, in percent (default 0.7)")
    parser.add_argument("--slow", type=int, default=0, help="hosts that run slower than their peers (default 0)")
    parser.add_argument("--slow-by", type=percent_range, default=(8.0, 20.0), metavar="LOW-HIGH",
                        help="how far slower, in percent (default 8-20)")
    parser.add_argument("--fast", type=int, default=0, help="hosts that run faster, by as much (default 0)")
    parser.add_argument("--warned", type=float, default=0.05, help="the share of runs with a warning (default 0.05)")
    parser.add_argument("--copies", type=int, help="runs in this many copies (default: one process)")
    parser.add_argument("--seed", type=int, default=1, help="the same seed makes the same records (default 1)")
    parser.add_argument("--one-file", action="store_true", help="append every record to OUT_DIR/runs.json")
    parser.add_argument("--truth", help="write what was made, as JSON, to this file")
    args = parser.parse_args(argv)
    hosts = host_names(args)
    labels = named_figures(args.labels, "label") if args.labels else None
    if args.runs < 1 or not hosts or (args.copies is not None and not 1 <= args.copies <= 1024):
        raise SystemExit("synthetic_records: --runs and --hosts need at least 1, --copies 1 to 1024")
    plan = Plan(hosts=hosts, processors=named_figures(args.processors, "processor"), labels=labels, runs=args.runs,
                noise=args.noise, slow=args.slow, slow_by=args.slow_by, fast=args.fast, warned=args.warned, copies=args.copies,
                seed=args.seed)
    records, truth = make_records(plan)
    files = write_records(records, args.out_dir, args.one_file)
    if args.truth:
        pathlib.Path(args.truth).write_text(json.dumps(truth, indent=2, ensure_ascii=False) + "\n", encoding="utf-8")
    print(f"synthetic_records: {len(records)} records of {len(hosts)} hosts in {len(files)} files in {args.out_dir}",
          file=sys.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
