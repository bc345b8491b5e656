"""`megawhets ab` from the command line.

    ab_command_test.py --program MEGAWHETS --drag MEGAWHETS_DRAG_5 --schema ab-comparison.schema.json
                       --record-schema run-record.schema.json --work DIR --cases endings|outputs|real

endings: every way a comparison ends, on short slices whose figures do not
matter: bad usage, programs that are missing, not executable, not megawhets,
of another record schema or whose self-check fails, or that forge their
records; a program that crashes in a round; numbers past their bounds.

outputs: SIGTERM and Ctrl+C, which leave no program running and the --json
file as it was; nothing a slice started outlives it; the progress line on a
terminal and nowhere else; the JSON against its schema, Markdown, CSV, and
the slices' records, which compare reads. (Two tests, so that the two run
side by side.)

real: the answers on differences known in advance, judged at alpha 0.001 so
that a real machine's noise cannot make them flake: one build against itself
is never faster or slower, and against the build that does 5 % more work it
is slower by at least the threshold, unless ab says that most slices were
disturbed; both interleaved and in duet (skipped where there are not two
processors).

windows: the Windows program under Wine, --emulator giving Wine's command:
short comparisons interleaved and in duet of it and its drag, and a
missing program.
"""
import argparse
import csv
import io
import json
import math
import os
import pathlib
import select
import shutil
import signal
import subprocess
import sys
import time

import jsonschema

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent))
from script_test_support import careless_numbers  # noqa: E402


class Checks:
    def __init__(self, program, emulator=()):
        self.program = program
        self.emulator = list(emulator)
        self.faults = []

    def expect(self, what, holds, detail=""):
        print(("ok    " if holds else "FAULT ") + what, flush=True)
        if not holds:
            self.faults.append(f"{what}: {detail}")

    def run(self, *arguments, timeout=600):
        done = subprocess.run([*self.emulator, self.program, "ab", *arguments], capture_output=True, text=True, errors="replace", check=False,
                              timeout=timeout)
        return done.returncode, done.stdout, done.stderr


def script(path, text):
    path.write_text("#!/bin/sh\n" + text)
    path.chmod(0o755)
    return str(path)


def children_of(pid):
    """The processes whose parent is pid, from /proc."""
    found = []
    for entry in pathlib.Path("/proc").iterdir():
        if not entry.name.isdigit():
            continue
        try:
            fields = (entry / "stat").read_text().rsplit(")", 1)[1].split()
        except OSError:
            continue
        if int(fields[1]) == pid:
            found.append(int(entry.name))
    return found


def running(pid):
    try:
        state = pathlib.Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()[0]
    except OSError:
        return False
    return state != "Z"


def fakes(work, program):
    """Programs that are not what ab needs, each in its own way."""
    record = json.loads(subprocess.run([program, "--json", "-"], input="1000 1\n", capture_output=True, text=True, errors="replace",
                                       check=True).stdout)
    record.update(counts=None, passes=[], comparison=None, warnings=[], exit_status=3,
                  self_check={"passed": False, "mismatch": {"value": "X1", "got": "1", "expected": "2"}})
    (work / "failed-self-check.json").write_text(json.dumps(record))
    count = work / "invocations"
    count.write_text("0")
    return {
        "not executable": str(work / "failed-self-check.json"),
        "echo": script(work / "echo.sh", 'echo "$@"\n'),
        "another schema": script(work / "schema.sh",
                                 f'"{program}" "$@" | sed "s/\\"schema_version\\": 1/\\"schema_version\\": 2/"\n'),
        "self-check": script(work / "self-check.sh",
                             f'cat "{work / "failed-self-check.json"}"\necho "megawhets: self-check failed" >&2\n'
                             "exit 3\n"),
        # Records that are not what the slice ran: each lies after its
        # check and two honest rounds, from round 3 on.
        "other counts": script(work / "other-counts.sh",
                               f'n=$(cat "{count}.counts" 2>/dev/null || echo 0); echo $((n + 1)) > "{count}.counts"\n'
                               f'if [ "$n" -lt 3 ]; then exec "{program}" "$@"; fi\n'
                               'printf "Number of inner loops (suggest more than 3): " >&2\nread line\n'
                               f'exec "{program}" --json - 2>/dev/null <<EOF\n1000 1\nEOF\n'),
        "forged rate": script(work / "forged-rate.sh",
                              f'n=$(cat "{count}.rate" 2>/dev/null || echo 0); echo $((n + 1)) > "{count}.rate"\n'
                              f'if [ "$n" -lt 3 ]; then exec "{program}" "$@"; fi\n'
                              f'"{program}" "$@" | sed \'s/"megawhets_per_second": [0-9.e+]*/"megawhets_per_second": 1e12/\'\n'),
        "two records": script(work / "two-records.sh",
                              'printf "Number of inner loops (suggest more than 3): " >&2\nread line\n'
                              f'record=$(echo "$line" | "{program}" --json - 2>/dev/null)\n'
                              'printf "%s\\n%s\\n" "$record" "$record"\n'),
        "lingers": script(work / "lingers.sh", f'"{program}" "$@"\nexec >&- 2>&-\nsleep 31.7\n'),
        # Right for its check and two rounds, then killed in round 3.
        "crash": script(work / "crash.sh",
                        f'n=$(cat "{count}"); echo $((n + 1)) > "{count}"\n'
                        f'if [ "$n" -lt 3 ]; then exec "{program}" "$@"; fi\n'
                        'printf "Number of inner loops (suggest more than 3): " >&2\nread line\nkill -SEGV $$\n'),
    }


def check_refusals(checks, work, program):
    fake = fakes(work, program)
    short = ["--slice", "0.1", "--rounds", "6", "--interleaved"]
    for name, arguments, status, message in (
            ("one program", [program], 2, "ab needs two programs, PROGRAM_A and PROGRAM_B, and was given 1"),
            ("--budget with --rounds", ["--budget", "10", "--rounds", "8", program, program], 2,
             "cannot go together"),
            ("--slice 0", ["--slice", "0", program, program], 2, "needs seconds from 0.1 to 60"),
            ("--rounds 5", ["--rounds", "5", program, program], 2, "from 6 to 100000"),
            ("a budget shorter than a round", ["--slice", "5", "--budget", "1", program, program], 2,
             "a budget of 1 s cannot hold one round of two 5 s slices: give --budget 10 or more"),
            ("--threshold -1", ["--threshold", "-1", program, program], 2, "needs a percentage"),
            ("--sed", ["--sed", "1", program, program], 2, "did you mean --seed?"),
            ("--duet with --interleaved", ["--duet", "--interleaved", program, program], 2,
             "options '--interleaved' and '--duet' cannot go together"),
            ("--interleaved with --duet", ["--interleaved", "--duet", program, program], 2,
             "options '--interleaved' and '--duet' cannot go together"),
            ("a missing A", [*short, str(work / "missing"), program], 2, f"A, '{work / 'missing'}', does not exist"),
            ("a B not on PATH", [*short, program, "no-such-megawhets-on-path"], 2,
             "B, 'no-such-megawhets-on-path', is not on PATH"),
            ("a B not executable", [*short, program, fake["not executable"]], 2, "is not executable"),
            ("an A that is not megawhets", [*short, fake["echo"], program], 2,
             "is not megawhets: it ended with status 0 without asking"),
            ("a B of another record schema", [*short, program, fake["another schema"]], 2,
             "this megawhets reads records of version 1"),
            ("an A whose self-check fails", [*short, fake["self-check"], program], 3,
             "A, '" + fake["self-check"] + "', failed its self-check"),
    ):
        got, out, err = checks.run(*arguments)
        checks.expect(f"{name}: status {status}, saying why", got == status and message in err and out == "",
                      f"{got} {err!r} {out[:200]!r}")

    # Held to one processor, as taskset or a container's quota holds it.
    if shutil.which("taskset"):
        one = ["taskset", "-c", str(min(os.sched_getaffinity(0)))]
        done = subprocess.run([*one, program, "ab", "--duet", *short[:4], program, program], capture_output=True,
                              text=True, errors="replace", check=False)
        checks.expect("--duet with one usable processor is refused with status 2, saying so",
                      done.returncode == 2 and "--duet needs two usable processors" in done.stderr, done.stderr)
        done = subprocess.run([*one, program, "ab", *short[:4], "--format", "json", program, program],
                              capture_output=True, text=True, errors="replace", check=False)
        document = json.loads(done.stdout) if done.returncode == 0 else {}
        checks.expect("with one usable processor the default is interleaved, and the JSON says why",
                      document.get("mode") == "interleaved" and
                      "duet needs two usable processors" in document.get("mode_reason", ""), done.stderr)

    for name, said in (("other counts", "wrote a record of other counts (inner 1000, outer 1) than it was sent"),
                       ("forged rate", "wrote a pass 2 rate of 1e+12 megaWhets/second, which its counts")):
        got, _, err = checks.run(*short, program, fake[name])
        checks.expect(f"a slice whose record has {name} fails the comparison with status 1, naming why",
                      got == 1 and said in err and "in round 3" in err, f"{got} {err}")

    got, _, err = checks.run(*short, program, fake["two records"])
    checks.expect("a program that writes two records is refused with status 2, saying so",
                  got == 2 and "it wrote 2 records, where megawhets writes one" in err, f"{got} {err}")
    got, _, err = checks.run(*short, program, fake["lingers"])
    checks.expect("a program that closes its output and lingers fails with status 1, saying so, not as killed",
                  got == 1 and "closed its output but did not end within 10 s, and was ended" in err and
                  "signal" not in err and not processes_named("sleep", "31.7"), f"{got} {err}")

    got, out, err = checks.run(*short, "--format", "json", program, fake["crash"])
    document = json.loads(out) if out.startswith("{") else {}
    checks.expect("a program killed in round 3 is named with its round, status 1, and the two rounds before it "
                  "are answered",
                  got == 1 and "B, " in err and "was killed by signal 11" in err and "in round 3" in err and
                  document.get("answer", {}).get("rounds") == 2 and document.get("failure"), f"{got} {err}")


def check_outputs_apart(checks, work, program):
    """No output takes the place of a program compared or of another output:
    each refused with status 2 before a slice runs, the files kept."""
    clashes = work / "clashes"
    clashes.mkdir()
    a, b = clashes / "progA", clashes / "progB"
    shutil.copy(program, a)
    shutil.copy(program, b)
    kept = {path: path.read_bytes() for path in (a, b)}
    same = str(clashes / "same.out")
    for name, arguments, message in (
            ("--html over PROGRAM_A", ["--html", str(a), str(a), str(b)], f"option '--html {a}' names '{a}', PROGRAM_A"),
            ("--json over PROGRAM_B", ["--json", str(b), str(a), str(b)], f"option '--json {b}' names '{b}', PROGRAM_B"),
            ("--html over PROGRAM_A by another name",
             ["--html", str(clashes / "." / "progA"), str(a), str(b)], "PROGRAM_A: the output would take its place"),
            ("--json and --html on one file", ["--json", same, "--html", same, str(a), str(b)],
             "options '--json' and '--html' both name"),
            ("--json and --html both on standard output", ["--json", "-", "--html", "-", str(a), str(b)],
             "options '--json' and '--html' both name '-'"),
    ):
        got, out, err = checks.run("--rounds", "6", "--slice", "0.1", *arguments)
        checks.expect(f"{name}: status 2, saying which option and path, the files kept",
                      got == 2 and message in err and out == "" and not pathlib.Path(same).exists() and
                      all(path.read_bytes() == text for path, text in kept.items()), f"{got} {err!r}")


def check_standard_output(checks, work, program):
    """- is standard output for --json and --html, the table going to standard
    error then; and a standard output that fails costs no file."""
    folder = work / "dash"
    folder.mkdir()
    program = os.path.abspath(program)
    short = ["--slice", "0.1", "--rounds", "6", "--interleaved"]
    for option, opening in (("--json", "{"), ("--html", "<!DOCTYPE html>")):
        done = subprocess.run([program, "ab", *short, option, "-", program, program], cwd=folder,
                              capture_output=True, text=True, errors="replace", check=False)
        checks.expect(f"{option} - writes to standard output, the table to standard error, and no file named -",
                      done.returncode == 0 and done.stdout.startswith(opening) and "verdict" in done.stderr and
                      not (folder / "-").exists(), f"{done.returncode} {done.stderr[-300:]!r}")
    if pathlib.Path("/dev/full").exists():
        with open("/dev/full", "w") as full:
            done = subprocess.run([program, "ab", *short, "--json", str(folder / "kept.json"), "--html",
                                   str(folder / "kept.html"), program, program], stdout=full,
                                  stderr=subprocess.PIPE, text=True, errors="replace", check=False)
        checks.expect("a full standard output fails with status 1, and the --json and --html files are written",
                      done.returncode == 1 and "standard output" in done.stderr and
                      (folder / "kept.json").read_text().startswith("{") and
                      (folder / "kept.html").read_text().startswith("<!DOCTYPE html>")
                      if (folder / "kept.json").exists() and (folder / "kept.html").exists() else False,
                      f"{done.returncode} {done.stderr[-300:]!r}")


def check_small_alpha(checks, program):
    """The smallest level is refused when the command is read, not after the
    rounds; the smallest accepted runs to its answer in both modes."""
    short = ["--slice", "0.1", "--interleaved"]
    for alpha, mode in (("5e-17", ["--rounds", "6"]), ("1e-15", ["--budget", "2"])):
        got, out, err = checks.run(*short, "--alpha", alpha, *mode, program, program)
        checks.expect(f"--alpha {alpha} with {mode[0]}: status 2 at once, naming the smallest level accepted",
                      got == 2 and f"--alpha {alpha}' is below 1e-14, the smallest level accepted" in err, err)
    for mode in (["--rounds", "6"], ["--budget", "2"]):
        got, out, err = checks.run(*short, "--alpha", "1e-14", *mode, "--format", "json", program, program)
        checks.expect(f"--alpha 1e-14 with {mode[0]} runs to its answer", got == 0 and out.startswith("{"),
                      f"{got} {err}")


def check_outputs(checks, work, program, schema, record_schema):
    json_path = work / "comparison.json"
    records = work / "records"
    got, out, err = checks.run("--slice", "0.1", "--rounds", "6", "--interleaved", "--seed", "12345", "--format",
                               "json", "--json", str(json_path), "--records", str(records), program, program)
    document = json.loads(out)
    jsonschema.Draft202012Validator(schema).validate(document)
    checks.expect("--format json follows its schema, and --json FILE holds the same document",
                  got == 0 and json.loads(json_path.read_text()) == document, f"{got} {err}")
    order = "".join(r["order"][0] for r in document["rounds"])
    checks.expect("the seed is recorded, and each round's order is drawn from it",
                  document["settings"]["seed"] == "12345" and order == seeded_order(checks, program, work), order)
    # A thread's processor time never runs ahead of the clock, so a slice's
    # fastest group by processor time is at least its fastest by the clock;
    # and each figure is the one its slice's record gives.
    by_processor = [(s["processor_steady"], s["steady"], s["processor_rate"]) for s in document["slices"]]
    checks.expect("each slice keeps pass 2's figures by processor time, its fastest group by them no slower "
                  "than by the clock",
                  by_processor and all(p is not None and r is not None and p >= c * 0.99 and r > 0
                                       for p, c, r in by_processor), by_processor)
    # --figure judges the rounds on another figure, and says which.
    for figure, key in (("processor-steady", "processor_steady"), ("steady", "steady")):
        got, out, err = checks.run("--slice", "0.1", "--rounds", "6", "--interleaved", "--figure", figure,
                                   "--format", "json", program, program)
        judged = json.loads(out) if got == 0 else {"settings": {}, "rounds": [], "slices": []}
        slices = judged["slices"]
        checks.expect(f"--figure {figure} judges each round on the slices' {key}, and the JSON names it",
                      judged["settings"].get("figure") == figure and len(judged["rounds"]) == 6 and all(
                          abs(r["log_ratio"] - math.log(slices[r["b_slice"]][key] / slices[r["a_slice"]][key])) < 1e-9
                          for r in judged["rounds"]), f"{got} {err}")
    # An older program's record gives no figure by processor time: judged
    # on one, it is refused before any round; on the rate, it still runs.
    older = work / "older-megawhets"
    older.write_text(f"""#!{sys.executable}
import json, subprocess, sys
done = subprocess.run([{str(program)!r}, *sys.argv[1:]], stdout=subprocess.PIPE, text=True)
try:
    record = json.loads(done.stdout)
    for p in record.get("passes") or []:
        p.pop("processor_megawhets_per_second", None)
        p["groups"].pop("fastest_processor_megawhets_per_second", None)
    print(json.dumps(record, indent=2))
except ValueError:
    sys.stdout.write(done.stdout)
sys.exit(done.returncode)
""")
    older.chmod(0o755)
    got, _, err = checks.run("--slice", "0.1", "--rounds", "6", "--interleaved", "--figure", "processor-rate",
                             str(older), program)
    checks.expect("judged on processor time, an older program whose records give none is refused by name",
                  got == 2 and "gives no work per processor second to judge it by" in err, f"{got} {err}")
    got, out, err = checks.run("--slice", "0.1", "--rounds", "6", "--interleaved", str(older), program)
    checks.expect("by default, an older program is judged on the rate, and the answer says so",
                  got == 0 and "so the rounds are judged on the rate" in out and "rate (judged)" in out,
                  f"{got} {out} {err}")
    got, _, err = checks.run("--slice", "0.1", "--rounds", "6", "--interleaved", "--figure", "rate", str(older),
                             program)
    checks.expect("judged on the rate as asked, an older program runs", got == 0, f"{got} {err}")
    got, _, err = checks.run("--figure", "cpu", program, program)
    checks.expect("an unknown --figure is refused, naming the figures there are",
                  got == 2 and "needs rate, steady, processor-rate or processor-steady" in err, f"{got} {err}")
    kept = sorted(p.name for p in records.iterdir())
    checks.expect("--records keeps each round's two slices' records",
                  kept == [f"round-{r:04}-{p}.json" for r in range(1, 7) for p in "AB"], kept)
    for path in records.iterdir():
        jsonschema.Draft202012Validator(record_schema).validate(json.loads(path.read_text()))
    got, _, err = checks.run("--rounds", "6", "--records", str(records), program, program)
    checks.expect("--records into a folder that holds another comparison's records is refused with status 2",
                  got == 2 and "already holds files" in err and sorted(p.name for p in records.iterdir()) == kept,
                  f"{got} {err}")
    compared = subprocess.run([program, "compare", "--format", "json", str(records)], capture_output=True,
                              text=True, check=False)
    checks.expect("compare reads the kept records",
                  compared.returncode == 0 and json.loads(compared.stdout)["groups"][0]["records"] == 12,
                  compared.stderr)

    got, out, _ = checks.run("--slice", "0.1", "--rounds", "6", "--interleaved", "--format", "csv", program, program)
    rows = list(csv.DictReader(io.StringIO(out)))
    checks.expect("--format csv has a row for A and one for B", got == 0 and len(rows) == 2, out)
    got, out, _ = checks.run("--slice", "0.1", "--rounds", "6", "--interleaved", "--format", "md", program, program)
    checks.expect("--format md is a Markdown table", got == 0 and out.startswith("|") and "|---" in out, out)


def seeded_order(checks, program, work):
    """The order a second run with the same seed draws."""
    _, out, _ = checks.run("--slice", "0.1", "--rounds", "6", "--interleaved", "--seed", "12345", "--format", "json",
                           program, program)
    return "".join(r["order"][0] for r in json.loads(out)["rounds"])


def read_available(descriptor, into, seconds):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        ready, _, _ = select.select([descriptor], [], [], 0.1)
        if ready:
            try:
                chunk = os.read(descriptor, 65536)
            except OSError:
                return
            if not chunk:
                return
            into.extend(chunk)


def check_interrupts(checks, work, program):
    # SIGTERM: the running slices end, the answer so far is printed and
    # marked, the --json file keeps what it held.
    json_path = work / "kept.json"
    json_path.write_text("as it was\n")
    ab = subprocess.Popen([program, "ab", "--slice", "0.3", "--budget", "120", "--interleaved", "--json",
                           str(json_path), program, program], stdout=subprocess.PIPE, stderr=subprocess.PIPE, errors="replace",
                          text=True)
    # A slice must be running when the signal comes; a slow build (a
    # sanitizer's, on a busy machine) may still be probing after seconds.
    time.sleep(2)
    started, end = children_of(ab.pid), time.monotonic() + 60
    while not started and time.monotonic() < end and ab.poll() is None:
        time.sleep(0.05)
        started = children_of(ab.pid)
    ab.send_signal(signal.SIGTERM)
    out, err = ab.communicate(timeout=60)
    checks.expect("SIGTERM ends the comparison with status 1, the answer marked interrupted",
                  ab.returncode == 1 and "Interrupted" in out and "interrupted" in err, f"{ab.returncode} {err}")
    checks.expect("SIGTERM leaves no program running", started and not any(running(pid) for pid in started),
                  started)
    checks.expect("SIGTERM leaves the --json file as it was", json_path.read_text() == "as it was\n",
                  json_path.read_text()[:100])

    # Ctrl+C on a terminal: the progress line, rewritten in place, is
    # cleared before the answer.
    leader, follower = os.openpty()
    ab = subprocess.Popen([program, "ab", "--slice", "0.2", "--budget", "120", "--interleaved", program, program],
                          stdout=subprocess.PIPE, stderr=follower, text=True, errors="replace")
    os.close(follower)
    shown = bytearray()
    end = time.monotonic() + 60
    while b"round 2," not in shown and time.monotonic() < end and ab.poll() is None:
        read_available(leader, shown, 0.2)
    ab.send_signal(signal.SIGINT)
    out, _ = ab.communicate(timeout=60)
    read_available(leader, shown, 0.5)
    os.close(leader)
    text = shown.decode(errors="replace")
    checks.expect("on a terminal, standard error shows the round and the estimate, rewritten in place",
                  "\rmegawhets ab: round 1, " in text and "\rmegawhets ab: round 2, " in text, repr(text[:300]))
    checks.expect("the progress line is cleared before the answer, and Ctrl+C answers as SIGTERM does",
                  "\r\x1b[K" in text and ab.returncode == 1 and "Interrupted" in out, repr(text[-200:]))
    _, _, err = checks.run("--slice", "0.1", "--rounds", "6", "--interleaved", program, program)
    checks.expect("no progress line where standard error is not a terminal", "megawhets ab: round" not in err, err)


def processes_named(*argv):
    """The processes whose command line is exactly argv."""
    wanted = "\0".join(argv) + "\0"
    found = []
    for entry in pathlib.Path("/proc").iterdir():
        try:
            if entry.name.isdigit() and (entry / "cmdline").read_text(errors="replace") == wanted:
                found.append(int(entry.name))
        except OSError:
            continue
    return [pid for pid in found if running(pid)]


def check_nothing_outlives_a_slice(checks, work, program):
    # A wrapper whose program leaves a process of its own behind, as a
    # script that starts the real program may: each slice's process group
    # ends with the slice, in a comparison that ends well and in one
    # interrupted.
    marker = f"{300 + os.getpid() % 1000}.5"
    wrapper = script(work / "leaves-a-sleep", f'sleep {marker} &\nexec "{program}" "$@"\n')
    for mode in ["--interleaved"] + (["--duet"] if len(os.sched_getaffinity(0)) >= 2 else []):
        got, _, err = checks.run("--slice", "0.1", "--rounds", "6", mode, wrapper, wrapper)
        left = processes_named("sleep", marker)
        checks.expect(f"{mode}: what a slice started ends with it", got == 0 and not left, f"{got} {left} {err}")
        for pid in left:
            os.kill(pid, signal.SIGKILL)


def verdict_of(checks, mode, a, b, budget, alpha):
    """The answer under --strict: status 4 exactly when B is found slower by
    at least the threshold, or the answer rests on disturbed slices, as a
    busy machine may leave it."""
    got, out, err = checks.run(mode, "--alpha", alpha, "--budget", str(budget), "--strict", "--format", "json",
                               a, b)
    if got not in (0, 4):
        return None, f"{got} {err}"
    answer = json.loads(out)["answer"]
    strict = (answer["verdict"] == "slower" and answer["change_percent"] <= -1.0) or answer["disturbed"]
    said = f"{answer['verdict']}{' (disturbed)' if answer['disturbed'] else ''} {answer['change_percent']:.2f} % " \
           f"({answer['low_percent']:.2f} .. {answer['high_percent']:.2f}), status {got}"
    return (answer if got == (4 if strict else 0) else None), said


def check_real(checks, program, drag):
    modes = ["--interleaved"]
    if len(os.sched_getaffinity(0)) >= 2:
        modes.append("--duet")
    else:
        print("skipped: --duet, since this process may use one processor only")
    for mode in modes:
        # One build against itself may be called apart by chance at alpha;
        # at 0.001 this test would fail so once in a thousand runs.
        answer, said = verdict_of(checks, mode, program, program, 12, "0.001")
        checks.expect(f"{mode}: one build against itself is neither faster nor slower: {said}",
                      answer is not None and answer["verdict"] not in ("faster", "slower"), said)
        # A drag is found within seconds on a quiet machine; a busy one may
        # take a minute, which the budget allows. The stopping rule looks at
        # the answer at a quarter, a half and three quarters of the budget,
        # so a longer budget would only make a quiet machine wait longer.
        # Where most slices were disturbed, ab says that nothing vouches for
        # its answer; it may then miss the drag, but never call B faster.
        # Whether the interval holds the drag's calibrated effect is not
        # asked here: on a shared machine the two modes measure it apart
        # (duet gave -3.6 % (-4.13 .. -2.94) in one CI run, against -5.3 %
        # calibrated by long runs), which bench/ab_benchmark.py measures
        # over many tries; one try would fail by chance.
        # No chance calls the drag faster, so the usual alpha only lets the
        # stopping rule end sooner.
        answer, said = verdict_of(checks, mode, program, drag, 80, "0.05")
        found = answer is not None and answer["verdict"] == "slower" and answer["change_percent"] <= -1.0
        owned = answer is not None and answer["disturbed"] and answer["verdict"] != "faster"
        checks.expect(f"{mode}: against its 5 % drag it is slower by 1 % or more, or says it was disturbed: "
                      f"{said}", found or owned, said)


def check_windows(checks, program, drag, schema):
    """The Windows program under Wine: its slices are Windows programs it
    starts with pipes, holds to a processor in duet, and ends."""
    modes = ["--interleaved"] + (["--duet"] if len(os.sched_getaffinity(0)) >= 2 else [])
    for mode in modes:
        got, out, err = checks.run(mode, "--slice", "0.1", "--rounds", "6", "--format", "json", program, drag)
        document = json.loads(out) if got == 0 else {}
        if document:
            jsonschema.Draft202012Validator(schema).validate(document)
        checks.expect(f"{mode} runs six rounds of the two Windows programs",
                      got == 0 and len(document["rounds"]) == 6 and document["mode"] == mode[2:] and
                      "drag 5 %" in document["programs"][1]["build"], f"{got} {err}")
    got, _, err = checks.run("--rounds", "6", program, program + ".missing")
    checks.expect("a missing B is refused with status 2", got == 2 and "does not exist" in err, f"{got} {err}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--drag", required=True)
    parser.add_argument("--schema", required=True)
    parser.add_argument("--record-schema", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--cases", choices=["endings", "outputs", "real", "windows"], required=True)
    parser.add_argument("--emulator", nargs="*", default=[], help="what runs the program (Wine, for Windows)")
    args = parser.parse_args()
    work = pathlib.Path(args.work)
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    checks = Checks(args.program, args.emulator)
    if args.cases == "windows":
        check_windows(checks, args.program, args.drag, json.loads(pathlib.Path(args.schema).read_text()))
    elif args.cases == "endings":
        check_refusals(checks, work, args.program)
        check_outputs_apart(checks, work, args.program)
        careless_numbers(checks, ("--slice", "--budget", "--rounds", "--alpha", "--threshold", "--seed"),
                         args.program, str(work / "no-such-program"))
        check_small_alpha(checks, args.program)
    elif args.cases == "outputs":
        check_standard_output(checks, work, args.program)
        check_outputs(checks, work, args.program, json.loads(pathlib.Path(args.schema).read_text()),
                      json.loads(pathlib.Path(args.record_schema).read_text()))
        check_interrupts(checks, work, args.program)
        check_nothing_outlives_a_slice(checks, work, args.program)
    else:
        check_real(checks, args.program, args.drag)
    print("\n".join(checks.faults) or "every case holds")
    return 1 if checks.faults else 0


if __name__ == "__main__":
    sys.exit(main())
