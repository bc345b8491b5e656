"""`megawhets compare` from the command line: its JSON against its schema,
the verdicts on records made with known differences, the slow hosts of a
fleet as its last line, and an exit status for every kind of ending.

    compare_command_test.py --program MEGAWHETS --schema comparison.schema.json --work DIR
"""
import argparse
import csv
import io
import json
import os
import pathlib
import resource
import shutil
import signal
import subprocess
import sys

import jsonschema

HERE = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
sys.path.insert(0, str(HERE.parent))
import synthetic_records  # noqa: E402
from script_test_support import careless_numbers  # noqa: E402


def make(directory, *options):
    synthetic_records.main([*options, str(directory)])
    return str(directory)


class Compare:
    def __init__(self, program):
        self.program = program
        self.faults = []

    def run(self, *arguments, stdin=None, timeout=None):
        try:
            done = subprocess.run([self.program, "compare", *arguments], input=stdin, capture_output=True,
                                  text=True, check=False, timeout=timeout)
        except subprocess.TimeoutExpired:
            return None, "", f"still running after {timeout} s"
        return done.returncode, done.stdout, done.stderr

    def expect(self, what, holds, detail=""):
        print(("ok    " if holds else "FAULT ") + what)
        if not holds:
            self.faults.append(f"{what}: {detail}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--schema", required=True)
    parser.add_argument("--work", required=True)
    args = parser.parse_args()
    work = pathlib.Path(args.work)
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    schema = json.loads(pathlib.Path(args.schema).read_text())
    compare = Compare(args.program)

    # A developer's experiment: one change 5 % faster, one that changes
    # nothing, six runs of each, appended to one file.
    lab = make(work / "lab", "--host-names", "alpha", "--labels", "before:0,after:+5,again:0", "--runs", "6",
               "--warned", "0", "--one-file")
    careless_numbers(compare, ("--alpha", "--threshold", "--slow"), "--fleet", lab)
    status, out, err = compare.run("--alpha", "1e-20", lab)
    compare.expect("--alpha 1e-20 is refused with status 2, naming the smallest level accepted",
                   status == 2 and "--alpha 1e-20' is below 1e-14, the smallest level accepted" in err, err)
    status, out, err = compare.run("--alpha", "1e-14", lab)
    compare.expect("--alpha 1e-14, the smallest accepted, compares", status == 0 and "after" in out, err)
    status, out, err = compare.run("--format", "json", lab)
    document = json.loads(out)
    jsonschema.Draft202012Validator(schema).validate(document)
    verdicts = {group["name"]: group["verdict"] for group in document["groups"]}
    compare.expect("the experiment's JSON follows its schema, and each group has the verdict its records were "
                   "made with", status == 0 and verdicts == {"before": "base", "after": "faster", "again": "~"},
                   f"{status} {verdicts} {err}")
    status, _, _ = compare.run("--strict", lab)
    compare.expect("--strict fails a significant change of 2 % or more", status == 4, status)
    status, _, _ = compare.run("--strict", "--threshold=10", lab)
    compare.expect("--strict passes a significant change below --threshold", status == 0, status)
    status, out, _ = compare.run("--base", "after", "--format", "csv", lab)
    rows = list(csv.DictReader(io.StringIO(out)))
    compare.expect("--base names the group the others are judged against; CSV has a row per group",
                   status == 0 and [row["verdict"] for row in rows] == ["base", "slower", "slower"], rows)

    # A change found, and one not found, on runs mostly disturbed: the verdict
    # says it rests on them, the advice is a quiet machine rather than more
    # records, and --strict fails even where the change is below --threshold.
    busy = make(work / "busy", "--host-names", "alpha", "--labels", "before:0,after:+5,again:0", "--runs", "6",
                "--warned", "0.9", "--one-file", "--seed", "2")
    status, out, err = compare.run("--format", "json", busy)
    document = json.loads(out)
    jsonschema.Draft202012Validator(schema).validate(document)
    resting = {group["name"]: group.get("rests_on_disturbed_runs") for group in document["groups"]}
    status, table, _ = compare.run(busy)
    compare.expect("a verdict on mostly disturbed runs says so, and advises a quiet machine, not more records",
                   resting == {"before": True, "after": True, "again": True}
                   and "faster (disturbed)" in table and "~ (disturbed)" in table
                   and "run again with the machine otherwise idle" in table and "would need about" not in table,
                   f"{resting}\n{table}")
    status, _, _ = compare.run("--strict", "--threshold=50", busy)
    compare.expect("--strict fails a verdict that rests on disturbed runs", status == 4, status)
    status, table, _ = compare.run("--strict", "--threshold=50", lab)
    compare.expect("runs that are not mostly disturbed carry no such mark", status == 0 and "disturbed" not in table,
                   f"{status} {table}")

    # A group whose only record failed its self-check is left out before the
    # groups are formed: --base cannot name it, and is told the groups there are.
    broken = dict(json.loads(pathlib.Path(lab, "runs.json").read_text().split("\n}\n")[0] + "\n}"),
                  label="broken", self_check={"passed": False, "mismatch": {"value": "E1[1]", "got": "0", "expected": "1"}})
    broken_path = work / "broken.json"
    broken_path.write_text(json.dumps(broken))
    status, _, err = compare.run("--base", "broken", lab, str(broken_path))
    compare.expect("--base names only a group the comparison kept, and the error lists those",
                   status == 2 and err.endswith("the groups are 'before', 'after', 'again'\n"), f"{status} {err}")

    # An administrator's fleet: 60 hosts of two models, two of them slow.
    truth_path = work / "truth.json"
    fleet = make(work / "fleet", "--hosts", "60", "--slow", "2", "--truth", str(truth_path), "--processors",
                 "Model A:13000,Model B:15500")
    truth = json.loads(truth_path.read_text())
    made_slow = sorted(host for host, made in truth["hosts"].items() if made["slowdown_percent"] > 0)
    status, out, _ = compare.run("--fleet", fleet)
    compare.expect("the fleet's last line names exactly the hosts made slow",
                   status == 0 and out.splitlines()[-1] == ",".join(made_slow), f"{out.splitlines()[-1]} {made_slow}")
    status, _, _ = compare.run("--fleet", "--strict", fleet)
    compare.expect("--strict fails a fleet with a slow host", status == 4, status)

    # A slow host whose name no host name has stays off the last line, which
    # scontrol and shells take as it is, and is named apart and warned of.
    made, truth = synthetic_records.make_records(synthetic_records.Plan(
        hosts=[f"node-{k:02d}" for k in range(1, 13)], slow=2, seed=5))
    renamed = {truth["slow_hosts"][0]: "node1,node2"}
    for host, record in made:
        record["machine"]["host_name"] = renamed.get(host, host)
    synthetic_records.write_records([(renamed.get(host, host), record) for host, record in made], work / "odd")
    status, out, err = compare.run("--fleet", str(work / "odd"))
    compare.expect("a slow host named node1,node2 is warned of and listed apart, never on the last line",
                   status == 0 and out.splitlines()[-1] == truth["slow_hosts"][1]
                   and "node1,node2" in out and "'node1,node2' is kept off the line" in err, f"{out} {err}")
    with open(pathlib.Path(fleet) / sorted(pathlib.Path(fleet).iterdir())[0], encoding="utf-8") as one:
        status, out, _ = compare.run("--fleet", "-", stdin=one.read())
    compare.expect("- reads records from standard input", status == 0 and "Slow hosts" in out, status)

    # The documentation's fleet, made as it says, prints what it shows.
    documented = (HERE.parent.parent / "docs" / "comparing.md").read_text()
    shown = documented.split("checked by tests/compare/compare_command_test.py -->\n```\n", 1)[1].split("```", 1)[0]
    status, out, _ = compare.run("--fleet", make(work / "documented", "--hosts", "12", "--slow", "1", "--runs", "3"))
    compare.expect("the documented fleet's comparison prints what docs/comparing.md shows", out == shown,
                   "\n" + out)

    # Endings: what cannot be read is named and fails the comparison, which
    # still covers the rest; bad usage is refused before anything is read.
    status, out, err = compare.run(lab, str(work / "missing.json"))
    compare.expect("a RECORD that does not exist is named, and the rest compared, with status 1",
                   status == 1 and "missing.json: does not exist" in err and "after" in out, f"{status} {err}")
    for arguments, message in ((["--alpha=1.5", lab], "needs a level between 0 and 1"),
                               (["--base", "nowhere", lab], "names no group; the groups are 'before', 'after'"),
                               (["--fleat", lab], "did you mean --fleet?"),
                               ([], "compare needs at least one RECORD")):
        status, _, err = compare.run(*arguments)
        compare.expect(f"bad usage {arguments[:1]}: status 2 and the reason", status == 2 and message in err,
                       f"{status} {err}")
    status, _, err = compare.run("--html", str(work / "no-such-directory" / "page.html"), lab)
    compare.expect("a page that cannot be written fails with status 1, saying so",
                   status == 1 and "cannot write the page to" in err, f"{status} {err}")

    # Hostile and careless input: a file of junk beside good records, a FIFO
    # among a directory's files, the same file given twice.
    junk = work / "junk.json"
    junk.write_bytes(b"{\n" * (512 * 1024))
    status, out, err = compare.run(lab, str(junk))
    lines = err.splitlines()
    compare.expect("a file of junk names its first ten problems and counts the rest in one line, and the good "
                   "records beside it are still compared",
                   status == 1 and len(lines) == 11 and lines[0] == f"megawhets: {junk}, line 1: cut short at line 2: "
                   "another record starts there before this one ends"
                   and lines[-1] == f"megawhets: {junk}: 524,278 more texts that are not records" and "after" in out,
                   f"{status} {lines[:2]} {lines[-1:]}")
    with_fifo = work / "with-fifo"
    with_fifo.mkdir()
    shutil.copy(pathlib.Path(lab) / "runs.json", with_fifo / "runs.json")
    os.mkfifo(with_fifo / "pipe.json")
    status, out, _ = compare.run(str(with_fifo), timeout=60)
    compare.expect("a FIFO in a directory is left out unread, with a note, and fails nothing",
                   status == 0 and f"{with_fifo / 'pipe.json'}: is a FIFO, not a regular file, so it is left out "
                   "unread" in out, f"{status} {out[-300:]}")
    runs = str(pathlib.Path(lab) / "runs.json")
    status, out, _ = compare.run(runs, runs)
    compare.expect("the same file given twice names both readings, apart",
                   status == 0 and f"{runs} (argument 2), record 1: the same run as {runs}, record 1, counted once"
                   in out, out[-400:])

    # The page never takes the place of a record it compares: not by its
    # name, nor by another name for the same file, nor inside a RECORD
    # directory, where the next comparison would read it.
    records = pathlib.Path(lab, "runs.json")
    kept = records.read_bytes()
    other_name = work / "same-file.json"
    other_name.unlink(missing_ok=True)
    os.link(records, other_name)
    for page, arguments in ((records, [str(records)]), (other_name, [lab]), (pathlib.Path(lab, "page.json"), [lab])):
        status, out, err = compare.run("--html", str(page), *arguments)
        compare.expect(f"--html {page.name} over what {arguments[0]} holds is refused with status 2, nothing read",
                       status == 2 and out == "" and "--html" in err and records.read_bytes() == kept
                       and not pathlib.Path(lab, "page.json").exists(), f"{status} {err}")
    # --html taken for a flag (--html runs.json more.json) would replace a
    # file of records that is not compared: refused unless --force says so.
    precious = work / "precious.json"
    shutil.copy(records, precious)
    status, out, err = compare.run("--html", str(precious), lab)
    compare.expect("--html over a file of run records is refused with status 2, the file kept",
                   status == 2 and out == "" and f"--html {precious}' would replace a file that holds run records" in err
                   and "--force" in err and precious.read_bytes() == kept, f"{status} {err}")
    status, out, err = compare.run("--html", str(precious), "--force", lab)
    compare.expect("--force writes the page over it", status == 0 and precious.read_text().startswith("<!DOCTYPE"),
                   f"{status} {err}")
    status, out, err = compare.run("--html", str(precious), lab)
    compare.expect("a page is written over a page as before", status == 0, f"{status} {err}")
    before = set(pathlib.Path.cwd().iterdir())
    status, out, err = compare.run("--html", "-", lab)
    compare.expect("--html - writes the page to standard output in place of the table, and no file named -",
                   status == 0 and out.startswith("<!DOCTYPE html>") and set(pathlib.Path.cwd().iterdir()) == before,
                   f"{status} {out[:80]} {err}")
    status, _, err = compare.run("--html", "-", "--format", "json", lab)
    compare.expect("--html - beside --format is refused", status == 2 and "--html -" in err, f"{status} {err}")

    # Where the page cannot be written, the system's reason: a file size
    # limit stands in for a full disk, whose reason reaches the message the
    # same way.
    def small_files():
        signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
        resource.setrlimit(resource.RLIMIT_FSIZE, (0, 0))
    done = subprocess.run([args.program, "compare", "--html", str(work / "page.html"), lab], capture_output=True,
                          text=True, check=False, preexec_fn=small_files)
    compare.expect("a page cut short by the disk says the system's reason, not a bare write error",
                   done.returncode == 1 and "File too large" in done.stderr and not (work / "page.html").exists(),
                   f"{done.returncode} {done.stderr}")

    # Nothing readable: only the reason, and status 1.
    truncated = work / "truncated.json"
    truncated.write_text(records.read_text()[:300])
    status, out, err = compare.run(str(truncated), str(work / "missing.json"))
    compare.expect("with no record to compare, nothing but the reasons, and status 1",
                   status == 1 and out == "" and err.endswith("megawhets: no records to compare\n")
                   and "missing.json: does not exist" in err, f"{status} {out} {err}")
    # What the terminal is told of a file or a group is escaped as the table
    # is: no control, and no bidi override, reaches it raw.
    status, _, err = compare.run(str(work / "gone\x1b[2J\u202e.json"), "--base", "x\u202ey", lab)
    compare.expect("a file's and a group's names reach the terminal escaped",
                   status == 2 and "\x1b" not in err and "\u202e" not in err and "x\\u202Ey" in err, err)
    status, _, err = compare.run(str(work / "gone\x1b[2J\u202e.json"), lab)
    compare.expect("a missing file's name reaches the terminal escaped",
                   status == 1 and "gone\\x1B[2J\\u202E.json: does not exist" in err, err)
    for arguments, message in ((["--json", lab], "did you mean --format json?"),
                               (["--format", "html", lab], "did you mean --html FILE?")):
        status, _, err = compare.run(*arguments)
        compare.expect(f"{' '.join(arguments[:2])} points to what was meant", status == 2 and message in err,
                       f"{status} {err}")

    print("\n".join(compare.faults) or "every case holds")
    return 1 if compare.faults else 0


if __name__ == "__main__":
    sys.exit(main())
