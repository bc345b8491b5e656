#!/usr/bin/env python3
"""Holds what megawhets prints to what it printed before: its helps, its
messages for bad command lines and bad records, and every output of compare
and history, on records made by a fixed seed. A change to any of them shows
as a difference, case by case, so that moving code about cannot change a
byte unseen; a deliberate change is kept with --write and reviewed in the
diff of the held files.

    outputs_held.py --program MEGAWHETS --held DIR --work DIR [--write] [--without-history]

--without-history leaves out the history's cases, for a build without its
store.
"""
import argparse
import pathlib
import shutil
import subprocess
import sys

HERE = pathlib.Path(__file__).resolve().parent
SYNTHETIC = HERE.parent / "compare" / "synthetic_records.py"

BAD_COMMAND_LINES = {
    "bad-option": ["--no-such-option"],
    "bad-count": ["--auto=x"],
    "compare-bad-option": ["compare", "--no-such-option", "x.json"],
    "compare-no-records": ["compare"],
    "compare-bad-format": ["compare", "--format", "yaml", "x.json"],
    "compare-empty-html": ["compare", "--html", "", "x.json"],
    "compare-missing-file": ["compare", "WORK/absent.json"],
    "compare-missing-file-controls": ["compare", "WORK/ab\x1b[31mc\u202ed\u009b.json"],
    "history-bad-option": ["history", "--no-such-option"],
    "history-bad-format": ["history", "--format", "yaml", "WORK/h.db"],
    "history-empty-html": ["history", "--html", "", "WORK/h.db"],
    "history-bad-recent": ["history", "--recent", "0", "WORK/h.db"],
    "ab-no-programs": ["ab"],
    "ab-bad-option": ["ab", "--no-such-option", "a", "b"],
    "ab-bad-budget": ["ab", "--budget", "-3", "a", "b"],
    "ab-bad-format": ["ab", "--format", "yaml", "a", "b"],
    "ab-empty-html": ["ab", "--html", "", "a", "b"],
    "ab-bad-alpha": ["ab", "--alpha", "2", "a", "b"],
}

HELPS = {
    "help": ["--help"],
    "compare-help": ["compare", "--help"],
    "history-help": ["history", "--help"],
    "ab-help": ["ab", "--help"],
}


def records(work):
    """A lab's three labels on one host, a fleet of a dozen hosts with two
    slow, and a file that is not a record."""
    subprocess.run([sys.executable, SYNTHETIC, "--labels", "baseline:0,gcc-13 -O3:+6,C-states off:-0.3", "--runs",
                    "8", "--one-file", work / "lab"], check=True, capture_output=True)
    subprocess.run([sys.executable, SYNTHETIC, "--hosts", "12", "--slow", "2", "--runs", "3", work / "fleet"],
                   check=True, capture_output=True)
    (work / "broken.json").write_text('{"schema": 1, "passes": [}\n')
    return sorted((work / "lab").iterdir()), sorted((work / "fleet").iterdir())


def cases(work, with_history):
    lab, fleet = records(work)
    found = dict(HELPS)
    found.update(BAD_COMMAND_LINES)
    for name, options in {"table": [], "markdown": ["--format", "markdown"], "csv": ["--format", "csv"],
                          "json": ["--format", "json"], "html": ["--html", "-"]}.items():
        found[f"compare-lab-{name}"] = ["compare", *options, *lab]
        found[f"compare-fleet-{name}"] = ["compare", *options, *fleet]
    found["compare-broken-record"] = ["compare", *lab, work / "broken.json"]
    if not with_history:
        return {name: arguments for name, arguments in found.items() if "history" not in name}
    database = work / "h.db"
    found["history-add"] = ["history", "add", database, *lab, *fleet]
    found["history-add-broken"] = ["history", "add", database, work / "broken.json"]
    for name, options in {"table": [], "markdown": ["--format", "markdown"], "json": ["--format", "json"],
                          "html": ["--html", "-"], "fleet": ["--fleet"], "fleet-json": ["--fleet", "--format", "json"],
                          "fleet-html": ["--fleet", "--html", "-"]}.items():
        found[f"history-{name}"] = ["history", *options, database]
    return found


def outcome(program, arguments, work):
    """What one command line printed, with the scratch folder named WORK
    wherever it shows."""
    line = [str(argument).replace("WORK", str(work)) for argument in arguments]
    done = subprocess.run([program, *line], stdin=subprocess.DEVNULL, capture_output=True, timeout=600, cwd=work)
    text = (f"status {done.returncode}\n--- standard output\n".encode() + done.stdout +
            b"\n--- standard error\n" + done.stderr)
    return text.replace(str(work).encode(), b"WORK")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--program", required=True)
    parser.add_argument("--held", required=True, type=pathlib.Path)
    parser.add_argument("--work", required=True, type=pathlib.Path)
    parser.add_argument("--write", action="store_true", help="keep what the program prints now as the held outputs")
    parser.add_argument("--without-history", action="store_true", help="leave out the history's cases")
    args = parser.parse_args()
    shutil.rmtree(args.work, ignore_errors=True)
    args.work.mkdir(parents=True)
    program = str(pathlib.Path(args.program).resolve())
    differing = []
    for name, arguments in cases(args.work, not args.without_history).items():
        now = outcome(program, arguments, args.work)
        held = args.held / f"{name}.txt"
        if args.write:
            held.write_bytes(now)
        elif not held.exists() or held.read_bytes() != now:
            (args.work / f"{name}.now.txt").write_bytes(now)
            differing.append(f"{name}: differs from {held} (now in {args.work / (name + '.now.txt')})")
    print("\n".join(differing) or "every output is as held")
    return 1 if differing else 0


if __name__ == "__main__":
    sys.exit(main())
