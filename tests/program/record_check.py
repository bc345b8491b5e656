#!/usr/bin/env python3
"""Checks a run record against its schema, and against the report printed
beside it, figure by figure, to the report's two decimals; and that each
pass was warned of a change of the machine's speed exactly when its figures
show one, and of having too few groups to judge exactly when it had; and
that the advice to enlarge the counts was given only for counts the user
typed.

    record_check.py SCHEMA RECORD REPORT

Exits 0 when both agree; otherwise says what differs and exits 1.
"""
import json
import re
import sys

import jsonschema

PASS = re.compile(r"Pass #\s*(\d+):\s*(-?\d+) outer loop\(s\),\s*(-?\d+) inner loop\(s\)\n[^\n]*\n"
                  r"Elapsed time =\s*(\S+) seconds\nWhetstones   =\s*(\S+) double-precision")
COMPARISON = re.compile(r"Time error  =\s*(\S+) seconds\n Whet error  =\s*(\S+) megawhets/sec\n"
                        r" %    error  =\s*(\S+) % whet error")


def as_printed(value):
    """The record's figure as the report prints it with %.2f."""
    if value is None:
        return None  # inf or nan in the report: not a number JSON can hold
    return f"{value:.2f}"


def agree(faults, what, recorded, printed):
    shown = as_printed(recorded)
    if shown is None and printed.lstrip("-") in ("inf", "nan"):
        return
    if shown != printed:
        faults.append(f"{what}: the record has {recorded!r}, the report {printed}")


# A pass of at least this many groups whose rate fell more than this share
# below its fastest group's is warned of, unless it lost processor time.
FEWEST_JUDGED_GROUPS = 5
LARGEST_STEADY_SHORTFALL = 0.05


def check_steadiness_warnings(faults, record):
    warned = {(w["kind"], w["pass"], w["copy"]) for w in record["warnings"]}
    for recorded in record["passes"]:
        groups = (recorded["copies"][0] if recorded["copies"] else recorded)["groups"]["count"]
        if (groups < FEWEST_JUDGED_GROUPS) != (("short", recorded["pass"], None) in warned):
            faults.append(f"pass {recorded['pass']} had {groups} groups, but was "
                          f"{'not ' if groups < FEWEST_JUDGED_GROUPS else ''}warned that it was too short to judge")
        # A pass in copies is judged copy by copy, each on its own rate.
        judged = [(None, recorded, recorded["megawhets_per_second"])] if not recorded["copies"] else [
            (c["copy"], c, recorded["work_units"] * 100 / c["elapsed_seconds"] / 1024) for c in recorded["copies"]]
        for copy, figures, rate in judged:
            groups = figures["groups"]
            fastest = groups["fastest_megawhets_per_second"]
            if (groups["count"] < FEWEST_JUDGED_GROUPS or fastest is None or
                    ("interference", recorded["pass"], copy) in warned):
                continue
            changed = rate < fastest * (1 - LARGEST_STEADY_SHORTFALL)
            if changed != (("steadiness", recorded["pass"], copy) in warned):
                faults.append(f"pass {recorded['pass']} (copy {copy}) ran at {rate} against its fastest group's "
                              f"{fastest}, but was {'not ' if changed else ''}warned of a change of speed")


# One thread's processor time never runs ahead of the clock: a group's
# figure by processor time is at least its figure by the clock, but for the
# microseconds between the two clocks' readings, which a group of some
# milliseconds makes a small share.
CLOCKS_APART = 0.01


def check_processor_figures(faults, record):
    for recorded in record["passes"]:
        sides = [(None, recorded)] + [(c["copy"], c) for c in recorded["copies"]]
        for copy, figures in sides:
            groups = figures["groups"]
            by_processor = groups.get("fastest_processor_megawhets_per_second")
            by_clock = groups["fastest_megawhets_per_second"]
            if by_processor is not None and by_clock is not None and by_processor < by_clock * (1 - CLOCKS_APART):
                faults.append(f"pass {recorded['pass']} (copy {copy}): its fastest group ran at {by_processor} by "
                              f"processor time, below its {by_clock} by the clock")
        work = recorded.get("processor_megawhets_per_second")
        if recorded["copies"] and work is not None:
            faults.append(f"pass {recorded['pass']} ran in copies but gives one process's work per processor second")
        processor = recorded["processor_seconds"]
        if work is not None and abs(work - recorded["work_units"] * 100 / processor / 1024) > 1e-9 * work:
            faults.append(f"pass {recorded['pass']} gives {work} per processor second, not its work over its "
                          f"{processor} processor seconds")


def main(schema_path, record_path, report_path):
    with open(schema_path) as f:
        schema = json.load(f)
    with open(record_path) as f:
        record = json.load(f)
    with open(report_path, encoding="latin-1") as f:
        report = f.read()
    jsonschema.Draft202012Validator(schema).validate(record)
    faults = []
    printed_passes = PASS.findall(report)
    if len(printed_passes) != len(record["passes"]):
        faults.append(f"{len(printed_passes)} passes printed, {len(record['passes'])} recorded")
    for recorded, (number, outer, inner, elapsed, rate) in zip(record["passes"], printed_passes):
        if (recorded["pass"], recorded["outer"], recorded["inner"]) != (int(number), int(outer), int(inner)):
            faults.append(f"pass {number}: counts differ")
        agree(faults, f"pass {number} elapsed", recorded["elapsed_seconds"], elapsed)
        agree(faults, f"pass {number} rate", recorded["megawhets_per_second"], rate)
    printed_comparison = COMPARISON.search(report)
    if record["comparison"] and printed_comparison:
        for key, printed in zip(("time_error_seconds", "rate_error_megawhets_per_second", "percent_error"),
                                printed_comparison.groups()):
            agree(faults, key, record["comparison"][key], printed)
        if record["comparison"]["advice_given"] != ("suggest larger inner loop" in report):
            faults.append("the advice is recorded as given when it was not, or the other way round")
        if record["comparison"]["advice_given"] and record["counts"]["chosen_by"] != "typed":
            faults.append("the report advises larger counts that --auto chose, not the user")
    elif record["comparison"] or printed_comparison:
        faults.append("a comparison is printed or recorded, but not both")
    check_steadiness_warnings(faults, record)
    check_processor_figures(faults, record)
    print("\n".join(faults) or "the record agrees with its schema and the report")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:4]))
