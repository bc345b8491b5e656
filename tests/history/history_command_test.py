"""`megawhets history` from the command line: records stored once each by
--db and history add at once, given back byte for byte by export, the
changes of a fleet made with known steps, its JSON against its schema, and
an exit status for every kind of ending. With --crash, instead: a history
add of 100,000 records killed midway leaves a sound history with none or
all of them.

    history_command_test.py --program MEGAWHETS --schema history.schema.json --work DIR [--crash]
"""
import argparse
import json
import os
import pathlib
import re
import shutil
import signal
import sqlite3
import subprocess
import sys
import time

import jsonschema

HERE = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
sys.path.insert(0, str(HERE.parent))
import history_records  # noqa: E402
from script_test_support import careless_numbers  # noqa: E402


def make(directory, *options):
    history_records.main([*options, str(directory)])
    return str(directory)


def record_texts(text):
    """The records of a file as --json writes them, each ending in its line break."""
    return [part for part in re.split(r"(?<=\n\}\n)", text) if part]


class History:
    def __init__(self, program):
        self.program = program
        self.faults = []

    def run(self, *arguments, stdin=None):
        done = subprocess.run([self.program, "history", *arguments], input=stdin, capture_output=True, text=True,
                              check=False)
        return done.returncode, done.stdout, done.stderr

    def expect(self, what, holds, detail=""):
        print(("ok    " if holds else "FAULT ") + what)
        if not holds:
            self.faults.append(f"{what}: {detail}")


def stored_count(database):
    with sqlite3.connect(database) as connection:
        return connection.execute("SELECT count(*) FROM records").fetchone()[0]


def concurrent_writers(history, work):
    """8 runs with --db and a history add, all at once on one new history."""
    database = str(work / "together.db")
    records = make(work / "together", "--hosts", "20", "--runs", "15")
    runs = [subprocess.Popen([history.program, "--db", database, "--json", str(work / f"run{k}.json"), "--label",
                              f"writer {k}"], stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                             stderr=subprocess.PIPE, text=True) for k in range(8)]
    add = subprocess.Popen([history.program, "history", "add", database, records], stdout=subprocess.DEVNULL,
                           stderr=subprocess.PIPE, text=True)
    for run in runs:
        run.stdin.write("500 4\n")
        run.stdin.close()
    statuses = [run.wait(timeout=600) for run in runs] + [add.wait(timeout=600)]
    errors = [process.stderr.read() for process in runs + [add]]
    status, out, _ = history.run("export", database)
    exported = record_texts(out)
    written = [path.read_text() for path in (work / f"run{k}.json" for k in range(8)) if path.exists()]
    made = [text for path in sorted(pathlib.Path(records).iterdir()) for text in record_texts(path.read_text())]
    history.expect("8 runs with --db and a history add at once on one new history: every record there once",
                   all(s in (0, 4) for s in statuses) and status == 0 and sorted(exported) == sorted(written + made),
                   f"{statuses} {len(exported)} of {len(written + made)} {errors}")
    return database, records


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--schema", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--crash", action="store_true")
    args = parser.parse_args()
    work = pathlib.Path(args.work)
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    history = History(args.program)
    if args.crash:
        crash(history, work)
    else:
        everything_else(history, work, json.loads(pathlib.Path(args.schema).read_text()))
    print("\n".join(history.faults) or "every case holds")
    return 1 if history.faults else 0


def outputs_over_inputs(history, work):
    """No output of the history takes the place of the history it reads, by
    whatever name reaches it."""
    database = str(work / "victim.db")
    history.run("add", database, make(work / "victim", "--hosts", "1", "--runs", "3"))
    os.link(database, work / "victim-link.db")
    before = pathlib.Path(database).read_bytes()
    for page in (database, str(work / "victim-link.db")):
        status, out, err = history.run(database, "--html", page)
        history.expect(f"--html {pathlib.Path(page).name} over the history it reads is refused with status 2, "
                       "naming the option and the history, which is kept",
                       status == 2 and out == "" and f"option '--html {page}' names '{database}', the history" in err
                       and pathlib.Path(database).read_bytes() == before, f"{status} {err}")


def page_on_standard_output(history, work):
    """--html - is the page on standard output, the table on standard error,
    and no file named -."""
    done = subprocess.run([os.path.abspath(history.program), "history", "--html", "-", str(work / "victim.db")], cwd=work,
                          capture_output=True, text=True, check=False)
    history.expect("--html - writes the page to standard output, the table to standard error, no file named -",
                   done.returncode == 0 and done.stdout.startswith("<!DOCTYPE html>") and "node-0001" in done.stderr
                   and not (work / "-").exists(), f"{done.returncode} {done.stderr}")


def careless_paths(history, work):
    """Histories where they should not be, or cannot be written: viewing
    never writes, a device or a pipe is refused, and adding nothing makes no
    file."""
    status, _, err = history.run("add", str(work / "made.db"), str(work / "no-such.json"))
    history.expect("add with no record to store makes no history", status == 1 and not (work / "made.db").exists(),
                   f"{status} {err}")
    status, _, err = history.run("add", str(work / "no-folder" / "x.db"), str(work / "victim"))
    history.expect("add into a folder that does not exist names the folder",
                   status == 1 and f"its folder '{work / 'no-folder'}' does not exist" in err, f"{status} {err}")
    (work / "device.db").symlink_to("/dev/null")
    os.mkfifo(work / "pipe.db")
    for name in ("device.db", "pipe.db"):
        for command in ([str(work / name)], ["add", str(work / name), str(work / "victim")]):
            status, _, err = history.run(*command)
            history.expect(f"{'adding to' if command[0] == 'add' else 'viewing'} {name} is refused as not a regular file",
                           status == 1 and "is not a regular file" in err, f"{status} {err}")
    # Another person's history, in a folder this user cannot write: read as
    # it is, with nothing made beside it.
    shared = work / "shared"
    shared.mkdir()
    shutil.copy(work / "victim.db", shared / "theirs.db")
    shared.chmod(0o555)
    (shared / "theirs.db").chmod(0o444)
    as_other = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"] if os.geteuid() == 0 else []
    if as_other and not shutil.which("setpriv"):
        print("skipped: a history in a folder that cannot be written, since root writes anywhere and setpriv is missing")
        return
    for command in ([], ["export"]):
        done = subprocess.run([*as_other, os.path.abspath(history.program), "history", *command,
                               str(shared / "theirs.db")], capture_output=True, text=True, check=False)
        history.expect(f"history {' '.join(command)} reads a history in a folder it cannot write, and writes nothing",
                       done.returncode == 0 and "node-0001" in done.stdout and
                       sorted(p.name for p in shared.iterdir()) == ["theirs.db"], f"{done.returncode} {done.stderr}")
    shared.chmod(0o755)


def careless_times(history, work):
    """A started_at in any shape but the records' own is not stored, and
    the last day there is still matches."""
    record = json.loads(record_texts((work / "victim" / "node-0001.json").read_text())[0])
    shapes = ["2026-02-30T00:00:00Z", "2026-03-03T02:00:00+01:00", "2026-03-03 02:00:00Z", "2026-03-03T02:00:00.5Z",
              "2026-03-03T02:00:00z", "2026-03-03T02:00:00Z"]
    texts = [json.dumps({**record, "started_at": shape}, indent=2) + "\n" for shape in shapes]
    (work / "times.json").write_text("".join(texts))
    database = str(work / "times.db")
    status, _, err = history.run("add", database, str(work / "times.json"))
    refused = [shape for shape in shapes[:-1] if f"started_at '{shape}' is not a time in UTC" in err]
    history.expect("add stores only the started_at written as records write it, naming each other shape",
                   status == 1 and refused == shapes[:-1] and "1 record stored" in err, f"{status} {err}")
    status, out, _ = history.run("--format", "json", "--until", "9999-12-31", database)
    history.expect("--until 9999-12-31 takes every run", status == 0 and json.loads(out)["runs"] == 1, out[:300])


def reformatted_records(history, work):
    """The same runs minified, or with CRLF line ends, are the runs already
    stored, and export still gives the text first stored."""
    database = str(work / "victim.db")
    _, before, _ = history.run("export", database)
    texts = record_texts((work / "victim" / "node-0001.json").read_text())
    (work / "minified.json").write_text("".join(json.dumps(json.loads(t), separators=(",", ":")) + "\n" for t in texts))
    (work / "crlf.json").write_bytes("".join(texts).replace("\n", "\r\n").encode())
    for name in ("minified.json", "crlf.json"):
        status, _, err = history.run("add", database, str(work / name))
        _, after, _ = history.run("export", database)
        history.expect(f"the same runs, {name.split('.')[0]}, are not stored again",
                       status == 0 and f"0 records stored in '{database}', {len(texts)} were there already" in err
                       and after == before, f"{status} {err}")


def everything_else(history, work, schema):
    outputs_over_inputs(history, work)
    careless_paths(history, work)
    careless_times(history, work)
    reformatted_records(history, work)
    page_on_standard_output(history, work)
    careless_numbers(history, ("--min-change", "--recent", "--slow"), "--fleet", str(work / "victim.db"))
    database, records = concurrent_writers(history, work)
    status, _, err = history.run("add", database, records)
    history.expect("history add of records stored already stores nothing again, and says so",
                   status == 0 and "0 records stored" in err and "300 were there already" in err, f"{status} {err}")
    status, out, _ = history.run("export", "--host", "node-0003", "--since", "2025-01-08", "--until", "2025-01-10",
                                 database)
    made = record_texts((pathlib.Path(records) / "node-0003.json").read_text())
    history.expect("export writes the runs its filters choose, byte for byte as they were written",
                   status == 0 and out == "".join(made[2:5]), out[:200])

    # An administrator's fleet: 30 nodes run weekly, one loses 6 % from its
    # 14th run, one 3 % from its 20th; a microcode update slows them all by
    # 4 % from the 8th.
    fleet_db = str(work / "fleet.db")
    fleet = make(work / "fleet", "--hosts", "30", "--runs", "26", "--every", "7", "--step", "node-0007:14:-6",
                 "--step", "node-0021:20:-3", "--step", "all:8:-4")
    history.run("add", fleet_db, fleet)
    status, out, _ = history.run("--format", "json", "--fleet", "--recent", "60", fleet_db)
    document = json.loads(out)
    jsonschema.Draft202012Validator(schema).validate(document)
    lines = [change["line"] for series in document["series"] for change in series["changes"]
             if not change["of_stratum"]]
    strata = [(round(change["percent"]), len(change["series"])) for change in document["stratum_changes"]]
    history.expect("the fleet's JSON follows its schema; the two hosts' changes, and the stratum's once",
                   status == 0 and len(lines) == 2 and lines[0].startswith("node-0007: -6.") and
                   "(run 14 of 26)" in lines[0] and lines[1].startswith("node-0021: -3.") and
                   strata == [(-4, 30)], f"{lines} {strata}")
    status, out, _ = history.run("--fleet", "--strict", fleet_db)
    history.expect("--strict fails a fleet with a slow host, whose name ends the output",
                   status == 4 and out.splitlines()[-1] == "node-0007", f"{status} {out[-200:]}")
    status, _, _ = history.run("--strict", "--host", "node-0001", "--recent", "7", fleet_db)
    history.expect("--strict passes a host that changed only with its stratum, long ago", status == 0, status)

    # One record from an unrelated host whose clock is ten years ahead: it is
    # warned of and left out, and what is recent is judged as before it, so
    # node-0021's change of six weeks ago is still named beside the slow host.
    future = json.loads(record_texts((pathlib.Path(fleet) / "node-0001.json").read_text())[0])
    future["machine"]["host_name"], future["started_at"] = "node-9999", "2036-02-07T06:28:16Z"
    (work / "future.json").write_text(json.dumps(future, indent=2) + "\n")
    history.run("add", fleet_db, str(work / "future.json"))
    status, out, err = history.run("--fleet", "--strict", "--recent", "60", fleet_db)
    _, json_out, _ = history.run("--fleet", "--format", "json", "--recent", "60", fleet_db)
    history.expect("a run dated years ahead is warned of and left out; --strict still names the changed host",
                   status == 4 and out.splitlines()[-1] == "node-0007,node-0021" and "node-9999 at 2036-02-07" in err and
                   json.loads(json_out)["future_runs"] == 1 and json.loads(json_out)["newest"] < "2036",
                   f"{status} {out[-300:]} {err}")

    # The same fleet run again under a label: each host has two series, whose
    # names hold the label; the line a scheduler reads, and the JSON's
    # flagged, still name hosts, each once.
    labelled_db = str(work / "labelled.db")
    history.run("add", labelled_db, fleet)
    history.run("add", labelled_db, make(work / "labelled", "--hosts", "30", "--runs", "26", "--every", "7",
                                         "--step", "node-0007:14:-6", "--step", "node-0021:20:-3", "--step", "all:8:-4",
                                         "--label", "gcc 13", "--seed", "2"))
    status, out, _ = history.run("--fleet", "--strict", labelled_db)
    _, json_out, _ = history.run("--fleet", "--format", "json", labelled_db)
    history.expect("with two series a host, the slow-or-changed line and flagged name the host once",
                   status == 4 and out.splitlines()[-1] == "node-0007" and
                   json.loads(json_out)["flagged"] == ["node-0007"], f"{status} {out[-300:]} {json_out[-300:]}")

    # Names as a hostile record gives them: every output escapes them for
    # its reader, in the one place every command's outputs share.
    hostile_db = str(work / "hostile.db")
    history.run("add", hostile_db, make(work / "hostile", "--host-names", "=1+2\x1b[31m,[x](http://e.org)|*a*",
                                        "--runs", "6"))
    outputs = {form: history.run("--format", form, hostile_db)[1] for form in ("table", "md", "csv")}
    csv_rows = [line.split(",")[0] for line in outputs["csv"].splitlines()[1:3]]
    history.expect("hostile names: no raw control in the table, Markdown or CSV; no formula, link or markup",
                   not any("\x1b" in text for text in outputs.values()) and
                   csv_rows == ['"\'=1+2\\x1B[31m"', "[x](http://e.org)|*a*"] and
                   "| \\[x\\](http\\://e.org)\\|\\*a\\* |" in outputs["md"], outputs)

    # Endings: what is not a history is refused and left as it was; bad
    # records are named and the rest stored.
    text_file = work / "notes.db"
    text_file.write_text("not a database\n")
    status, _, err = history.run("add", str(text_file), records)
    history.expect("a file that is not a history is refused with status 1, and left as it was",
                   status == 1 and "SQLite finds no database in it" in err and
                   text_file.read_text() == "not a database\n", f"{status} {err}")
    bad = work / "bad.json"
    good = record_texts((pathlib.Path(records) / "node-0001.json").read_text())[0].replace("2025-01-06", "2031-01-06")
    bad.write_text("not json\n" + good + "{\"schema_version\": 7}\n")
    status, _, err = history.run("add", database, str(bad), str(work / "missing.json"))
    _, out, _ = history.run("export", "--since", "2031-01-01", database)
    history.expect("bad records are named as compare names them, the rest stored as they were written, with status 1",
                   status == 1 and "bad.json, line 1: " in err and "bad.json, record 2: $.schema_version" in err and
                   "missing.json: does not exist" in err and "1 record stored" in err and out == good,
                   f"{status} {err} {out[:100]!r}")
    for arguments, message in ((["--min-change=x", database], "needs a percentage from 0 to 100"),
                               (["--fleat", database], "did you mean --fleet?"),
                               (["--since", "March", database], "needs a date or a time in UTC"),
                               ([], "history needs a DB"),
                               (["add", database], "needs a DB and at least one RECORD")):
        status, _, err = history.run(*arguments)
        history.expect(f"bad usage {arguments[:1]}: status 2 and the reason", status == 2 and message in err,
                       f"{status} {err}")
    status, _, err = history.run(str(work / "nowhere.db"))
    history.expect("a history that does not exist is named, with status 1",
                   status == 1 and "nowhere.db' does not exist" in err, f"{status} {err}")


def crash(history, work):
    """kill -9 during a history add of 100,000 records, in ten files."""
    database = str(work / "crash.db")
    source = work / "one"
    make(source, "--runs", "1")
    template = (source / "node-0001.json").read_text()
    directory = work / "many"
    directory.mkdir()
    for part in range(10):
        texts = []
        for k in range(10000):
            n = part * 10000 + k
            # A host's runs each start on a day of their own: the history
            # knows a run by its host, start and figures.
            day = n // 1000
            texts.append(template.replace("2025-01-06T02:00:00Z", f"2026-{1 + day // 28:02d}-{1 + day % 28:02d}T00:00:00Z")
                         .replace("node-0001", f"node-{n % 1000:04d}").replace('"inner": 20000,', f'"inner": {20000 + n},', 1))
        (directory / f"part{part}.json").write_text("".join(texts))
    status, _, err = history.run("add", database, str(source))
    before = stored_count(database)
    add = subprocess.Popen([history.program, "history", "add", database, str(directory)], stderr=subprocess.PIPE)
    wal = pathlib.Path(database + "-wal")
    deadline = time.monotonic() + 300
    while add.poll() is None and time.monotonic() < deadline and (not wal.exists() or wal.stat().st_size < 50 << 20):
        time.sleep(0.05)
    killed_midway = add.poll() is None
    os.kill(add.pid, signal.SIGKILL)
    add.wait()
    with sqlite3.connect(database) as connection:
        check = connection.execute("PRAGMA integrity_check").fetchone()[0]
    after = stored_count(database)
    history.expect("history add killed midway through 100,000 records leaves a sound history without any of them",
                   killed_midway and check == "ok" and after == before == 1, f"{killed_midway} {check} {before} {after}")
    status, _, err = history.run("add", database, str(directory))
    history.expect("the same import, run again to its end, stores all of them",
                   status == 0 and stored_count(database) == 100001, f"{status} {err}")


if __name__ == "__main__":
    sys.exit(main())
