#!/usr/bin/env python3
"""How well megawhets ab tells two builds apart, against today's unpaired runs.

    bench/ab_benchmark.py drags --program MEGAWHETS --drag 1=MEGAWHETS_DRAG_1 --drag 2=... [--tries 10]
    bench/ab_benchmark.py choices --program MEGAWHETS [--slices 0.25,0.5,1,2] [--tries 2] [--seconds 60]
    bench/ab_benchmark.py calibrate --program MEGAWHETS --drag 5=MEGAWHETS_DRAG_5 [--rounds 200]
    bench/ab_benchmark.py conditions --program MEGAWHETS --drag 1=MEGAWHETS_DRAG_1 --keep DIR
                          [--conditions quiet,busy,bursts,pinned] [--tries 10] [--seconds 60]
    bench/ab_benchmark.py table --keep DIR

The drag programs are the test build's megawhets-drag-N (configure with
-DMEGAWHETS_TEST_DRAG_PERCENT="1;2;5"), which do N % more work than they
count; drag 0 is the program against itself.

drags: for each drag, TRIES tries of each way of comparing:
  (a) unpaired: the interleaved run's slices, kept with --records, judged by
      megawhets compare as separate runs would be, at 30, 60 and 120 s;
  (b) megawhets ab --interleaved, and (c) megawhets ab --duet, each run for
      120 s whatever the figures say (at an alpha and a threshold too small
      for any verdict), so that the rounds of every moment are there.
It prints, per drag and way: the median seconds to a verdict (for ab, its
stopping rule replayed on the rounds as they came, with the default 60 s
budget; for compare, the first of the three looks that found a change), the
95 % interval's half-width at 30, 60 and 120 s (for ab the exact
Hodges-Lehmann interval of the rounds by then; for compare, the interval of
the shift that its U test implies), and how many tries gave the right
verdict: slower for a drag, neither faster nor slower for drag 0.

choices: the slice length, the figure (steady or rate) and the mode that
give the tightest paired interval for the time: for each slice length and
mode, TRIES runs of A against itself for about SECONDS each, and the 95 %
half-width of the rounds' log ratios judged on each figure.

calibrate: a long interleaved run of the program against each drag: the
drag's effect on the steady figure and on the rate, with their 95 %
intervals, and on pass 2's work per second of processor time (from the
slices' records), which other work on the machine hardly moves: the drag's
true cost.

conditions: the same comparisons under loads the script makes itself, so
that a table made on one machine can be set beside one made on another:
  quiet    nothing else;
  busy     one busy loop per processor;
  bursts   one loop per processor, busy for 200 ms and idle for 300 ms,
           each from a random phase;
  pinned   one busy loop held to the first processor (duet only: it is the
           load that duet's check before the rounds is there to see).
Each try runs ab for SECONDS whatever the figures say, in each mode, A
against itself and against each drag, and keeps its JSON in DIR; the table
is then made from DIR alone (table), so that tries added later, or made on
another day, join it. For each figure the slices give (rate, steady,
processor-rate, processor-steady) it gives the median half-width of the
95 % interval at 30, 60 and 120 s, how many tries' 60 s interval held the
drag's calibrated effect (--truth), and how many gave the right verdict at
60 s: slower for a drag, neither faster nor slower for drag 0. These are
fixed-size intervals of the rounds by then, not ab's sequential ones, which
spend some alpha on earlier looks and are a little wider.

Each prints the load average before and after: the machine is shared, and
its noise is the setting these figures are about. The drags table takes
about 2 hours with the defaults.
"""
import argparse
import json
import math
import os
import pathlib
import statistics
import subprocess
import sys
import tempfile

STOPPING_SHARES = ((0.25, 1 / 40), (0.5, 3 / 40), (0.75, 6 / 40))


def load():
    return "load average " + " ".join(f"{x:.2f}" for x in os.getloadavg())


def run_ab(program, a, b, *options):
    done = subprocess.run([program, "ab", "--format", "json", *options, a, b], capture_output=True, text=True,
                          errors="replace", check=False)
    if done.returncode not in (0, 4):
        raise SystemExit(f"megawhets ab failed ({done.returncode}): {done.stderr}")
    return json.loads(done.stdout)


# The signed-rank statistic's exact null distribution: counts of the 2^n
# sign patterns giving each W+.
_signed_rank_counts = {}


def signed_rank_counts(n):
    if n not in _signed_rank_counts:
        counts = [1]
        for k in range(1, n + 1):
            grown = counts + [0] * k
            for w, c in enumerate(counts):
                grown[w + k] += c
            counts = grown
        _signed_rank_counts[n] = counts
    return _signed_rank_counts[n]


def hodges_lehmann(values, alpha):
    """The Hodges-Lehmann estimate and its exact 1 - alpha interval, or a
    range when n is too small to reach it."""
    n = len(values)
    walsh = sorted((values[i] + values[j]) / 2 for i in range(n) for j in range(i, n))
    middle = len(walsh) // 2
    estimate = walsh[middle] if len(walsh) % 2 else (walsh[middle - 1] + walsh[middle]) / 2
    counts = signed_rank_counts(n)
    total = 2 ** n
    below, k = 0, 0
    while k < len(counts) and 2 * (below + counts[k]) <= alpha * total:
        below += counts[k]
        k += 1
    if k == 0:
        return estimate, walsh[0], walsh[-1], True
    return estimate, walsh[k - 1], walsh[len(walsh) - k], False


def percent(log_value):
    return math.expm1(log_value) * 100


def verdict(low_percent, high_percent, threshold=1.0):
    """ab's verdict on an interval in percent; the threshold is in percent
    too, so an interval of log ratios must be turned into percent first."""
    if low_percent > 0:
        return "faster"
    if high_percent < 0:
        return "slower"
    if -threshold < low_percent and high_percent < threshold:
        return "same"
    return "undecided"


def round_ends(document):
    """Each round's end, in seconds from the comparison's start, and its log
    ratio on the figure ab judged it by, on the steady figure and on the
    rate."""
    slices = document["slices"]
    rounds = []
    for r in document["rounds"]:
        a, b = slices[r["a_slice"]], slices[r["b_slice"]]
        end = max(s["start_seconds"] + s["seconds"] for s in (a, b))
        rounds.append((end, r["log_ratio"], math.log(b["steady"] / a["steady"]), math.log(b["rate"] / a["rate"])))
    return rounds


def replayed_verdict(document, rounds, budget=60.0, alpha=0.05):
    """ab's stopping rule (ab/stopping_rule.h) replayed on rounds that came
    as they did, within `budget` seconds: the seconds and verdict it would
    have stopped with (no seconds when it stays undecided)."""
    if not rounds:
        return None, "undecided"
    first = document["rounds"][0]
    began = min(document["slices"][first[k]]["start_seconds"] for k in ("a_slice", "b_slice"))
    ends = [r[0] for r in rounds]
    durations = [ends[0] - began] + [b - a for a, b in zip(ends, ends[1:])]
    planned = 1 + int(max(0.0, budget - ends[0]) / durations[0])
    looks, carried, last = {}, 0.0, 0
    for of_rounds, of_alpha in STOPPING_SHARES:
        at = math.ceil(of_rounds * planned)
        share = carried + of_alpha * alpha
        if at <= last or at >= planned or 2 * 0.5 ** at > share:
            carried = share
            continue
        looks[at], carried, last = share, 0.0, at
    ratios = [r[1] for r in rounds]
    done = 1
    while True:
        if done in looks:
            _, low, high, _ = hodges_lehmann(ratios[:done], looks[done])
            found = verdict(percent(low), percent(high))
            if found != "undecided":
                return ends[done - 1], found
        if done == len(rounds) or ends[done - 1] + max(durations[:done]) > budget:
            break
        done += 1
    spent = sum(share for at, share in looks.items() if at < done)
    _, low, high, _ = hodges_lehmann(ratios[:done], alpha - spent)
    found = verdict(percent(low), percent(high))
    return (ends[done - 1] if found != "undecided" else None), found


def half_width(ratios, alpha=0.05):
    if len(ratios) < 6:
        return None
    _, low, high, is_range = hodges_lehmann(ratios, alpha)
    return None if is_range else (percent(high) - percent(low)) / 2


def unpaired_half_width(a, b, alpha=0.05):
    """The interval of the shift between two samples of log figures that the
    U test implies (the two-sample Hodges-Lehmann interval), its critical
    count from the normal approximation."""
    n, m = len(a), len(b)
    if n < 4 or m < 4:
        return None
    differences = sorted(y - x for x in a for y in b)
    z = statistics.NormalDist().inv_cdf(1 - alpha / 2)
    k = int(math.floor(n * m / 2 - z * math.sqrt(n * m * (n + m + 1) / 12)))
    if k < 1:
        return None
    return (percent(differences[n * m - k]) - percent(differences[k - 1])) / 2


def compare_verdict(program, records, rounds, labels):
    """megawhets compare's verdict on the records of the first `rounds`
    rounds, A and B labelled so that compare tells them apart."""
    with tempfile.TemporaryDirectory() as directory:
        for r in range(1, rounds + 1):
            for letter in "AB":
                record = json.loads((records / f"round-{r:04}-{letter}.json").read_text())
                record["label"] = labels[letter]
                (pathlib.Path(directory) / f"{r:04}-{letter}.json").write_text(json.dumps(record))
        done = subprocess.run([program, "compare", "--by", "label", "--base", labels["A"], "--format", "json",
                               directory], capture_output=True, text=True, check=False)
    groups = json.loads(done.stdout)["groups"]
    return groups[1]["verdict"]


def right(drag, found):
    return found == "slower" if drag > 0 else found not in ("faster", "slower")


def drags(given):
    programs = {0: given.program, **dict(given.drag)}
    checkpoints = (30, 60, 120)
    rows = []
    print(load(), flush=True)
    for drag, b in sorted(programs.items()):
        outcomes = {"unpaired": [], "interleaved": [], "duet": []}
        for attempt in range(given.tries):
            for mode in ("interleaved", "duet"):
                with tempfile.TemporaryDirectory() as directory:
                    records = pathlib.Path(directory)
                    document = run_ab(given.program, given.program, b, f"--{mode}", "--budget",
                                      str(checkpoints[-1]), "--alpha", "0.000000001", "--threshold", "0.000001",
                                      "--slice", str(given.slice), "--records", str(records))
                    if given.keep:
                        kept = pathlib.Path(given.keep) / f"drag-{drag}-try-{attempt + 1}-{mode}.json"
                        kept.parent.mkdir(parents=True, exist_ok=True)
                        kept.write_text(json.dumps(document))
                    rounds = round_ends(document)
                    seconds, found = replayed_verdict(document, rounds)
                    widths = [half_width([r[1] for r in rounds if r[0] <= t]) for t in checkpoints]
                    outcomes[mode].append((seconds, found, widths))
                    if mode != "interleaved":
                        continue
                    slices = document["slices"]
                    logs = {"A": [], "B": []}
                    unpaired_widths, unpaired_seconds, unpaired_found = [], None, "~"
                    for t in checkpoints:
                        done = [i for i, r in enumerate(rounds) if r[0] <= t]
                        for key, letter in (("a_slice", "A"), ("b_slice", "B")):
                            logs[letter] = [math.log(slices[document["rounds"][i][key]]["steady"]) for i in done]
                        unpaired_widths.append(unpaired_half_width(logs["A"], logs["B"]))
                        if done and unpaired_seconds is None:
                            found_now = compare_verdict(given.program, records, len(done), {"A": "A", "B": "B"})
                            if found_now in ("faster", "slower"):
                                unpaired_seconds, unpaired_found = rounds[done[-1]][0], found_now
                    if unpaired_seconds is None and rounds:
                        unpaired_found = compare_verdict(given.program, records,
                                                         len([r for r in rounds if r[0] <= 60]), {"A": "A", "B": "B"})
                    outcomes["unpaired"].append((unpaired_seconds, unpaired_found, unpaired_widths))
            print(f"drag {drag} %, try {attempt + 1}: " +
                  "; ".join(f"{way} {o[-1][1]} at {o[-1][0]}" for way, o in outcomes.items()), flush=True)
        for way, tried in outcomes.items():
            times = [s for s, _, _ in tried if s is not None]
            widths = []
            for i in range(len(checkpoints)):
                got = [w[i] for _, _, w in tried if w[i] is not None]
                widths.append(f"±{statistics.median(got):.2f} %" if got else "-")
            rows.append((drag, way, f"{statistics.median(times):.0f} s" if times else "none",
                         *widths, f"{sum(right(drag, f) for _, f, _ in tried)}/{len(tried)}"))
    print(load())
    header = ("drag", "way", "to a verdict", "±30 s", "±60 s", "±120 s", "right")
    print("| " + " | ".join(header) + " |\n|" + "---|" * len(header))
    for row in rows:
        print("| " + " | ".join(str(cell) for cell in row) + " |")


def choices(given):
    print(load(), flush=True)
    rows = []
    for slice_seconds in given.slices:
        for mode in ("interleaved", "duet"):
            widths = {"steady": [], "rate": []}
            spread = []
            for _ in range(given.tries):
                # Run for the seconds, whatever the figures say: no verdict
                # at so small an alpha, and no "same" within so small a
                # threshold, can stop it early.
                document = run_ab(given.program, given.program, given.program, f"--{mode}", "--slice",
                                  str(slice_seconds), "--budget", str(given.seconds), "--alpha", "0.000000001",
                                  "--threshold", "0.000001")
                within = round_ends(document)
                for index, figure in ((2, "steady"), (3, "rate")):
                    widths[figure].append(half_width([r[index] for r in within]))
                spread.append(statistics.pstdev(r[2] for r in within) * 100)
            rows.append((slice_seconds, mode, f"{statistics.median(spread):.2f} %",
                         *(f"±{statistics.median([w for w in widths[f] if w is not None]):.3f} %"
                           for f in ("steady", "rate"))))
            print(rows[-1], flush=True)
    print(load())
    header = ("slice", "mode", "spread of a round (steady)", f"steady ±, {given.seconds:g} s",
              f"rate ±, {given.seconds:g} s")
    print("| " + " | ".join(header) + " |\n|" + "---|" * len(header))
    for row in rows:
        print("| " + " | ".join(str(cell) for cell in row) + " |")


def processor_rate(record):
    """Pass 2's work over the processor time it took: what the program did
    when it ran, whatever else shared the machine."""
    passed = record["passes"][1]
    return passed["work_units"] / passed["processor_seconds"]


def calibrate(given):
    print(load(), flush=True)
    for drag, program in sorted(dict(given.drag).items()):
        with tempfile.TemporaryDirectory() as directory:
            records = pathlib.Path(directory)
            document = run_ab(given.program, given.program, program, f"--{given.mode}", "--rounds",
                              str(given.rounds), "--slice", str(given.slice), "--records", str(records))
            processor, first_pass = [], []
            for r in document["rounds"]:
                kept = [json.loads((records / f"round-{r['round']:04}-{p}.json").read_text()) for p in "AB"]
                processor.append(math.log(processor_rate(kept[1]) / processor_rate(kept[0])))
                first_pass.append(math.log(kept[1]["passes"][0]["megawhets_per_second"] /
                                           kept[0]["passes"][0]["megawhets_per_second"]))
        found = {}
        for name, ratios in (("steady", [math.log(document["slices"][r["b_slice"]]["steady"] /
                                                  document["slices"][r["a_slice"]]["steady"])
                                         for r in document["rounds"]]),
                             ("rate", [math.log(document["slices"][r["b_slice"]]["rate"] /
                                                document["slices"][r["a_slice"]]["rate"])
                                       for r in document["rounds"]]),
                             ("pass 1's rate", first_pass),
                             ("processor time", processor)):
            estimate, low, high, _ = hodges_lehmann(ratios, 0.05)
            found[name] = f"{percent(estimate):+.2f} % ({percent(low):+.2f} .. {percent(high):+.2f})"
        print(f"drag {drag} %: " + ", ".join(f"{name} {text}" for name, text in found.items()) +
              f"; {len(processor)} rounds in {document['seconds']:.0f} s; "
              f"{-100 * drag / (100 + drag):+.2f} % if the drag's work cost what the program's does", flush=True)
    print(load())


FIGURES = ("rate", "steady", "processor_rate", "processor_steady")
CHECKPOINTS = (30, 60, 120)

# The drags' effect on pass 2's work per processor second, by long
# interleaved runs (calibrate, docs/ab.md): the truth an interval is held to
# unless --truth gives another.
CALIBRATED = {1: -1.29, 2: -2.09, 5: -5.25}


def busy_loop(duty=None):
    """The Python source of a load: always busy, or busy for duty[0] s and
    idle for duty[1] s, from a random phase."""
    if duty is None:
        return "while True:\n    pass\n"
    busy, idle = duty
    return ("import random, time\n"
            f"time.sleep(random.uniform(0, {busy + idle}))\n"
            "while True:\n"
            f"    until = time.perf_counter() + {busy}\n"
            "    while time.perf_counter() < until:\n"
            "        pass\n"
            f"    time.sleep({idle})\n")


class Load:
    """The condition's other work, started on entry and ended on exit."""

    def __init__(self, condition):
        self.condition = condition
        self.loads = []

    def __enter__(self):
        processors = sorted(os.sched_getaffinity(0))
        if self.condition == "busy":
            plan = [(busy_loop(), None)] * len(processors)
        elif self.condition == "bursts":
            plan = [(busy_loop((0.2, 0.3)), None)] * len(processors)
        elif self.condition == "pinned":
            plan = [(busy_loop(), processors[0])]
        else:
            plan = []
        for source, processor in plan:
            pinned = (lambda: os.sched_setaffinity(0, {processor})) if processor is not None else None
            self.loads.append(subprocess.Popen([sys.executable, "-c", source], preexec_fn=pinned))
        return self

    def __exit__(self, *_):
        for load_process in self.loads:
            load_process.kill()
            load_process.wait()


def figure_rounds(document):
    """Each round's end, in seconds from the comparison's start, and its log
    ratio of B's figure to A's, for each figure the slices give."""
    slices = document["slices"]
    rounds = []
    for r in document["rounds"]:
        a, b = slices[r["a_slice"]], slices[r["b_slice"]]
        ratios = {}
        for figure in FIGURES:
            if a.get(figure) and b.get(figure):
                ratios[figure] = math.log(b[figure] / a[figure])
        rounds.append((max(s["start_seconds"] + s["seconds"] for s in (a, b)), ratios))
    return rounds


def interval_by(rounds, figure, seconds, alpha=0.05):
    """The estimate and the exact 1 - alpha interval, in percent, of the
    rounds ended by `seconds`, judged on `figure`; None when too few."""
    ratios = [r[figure] for end, r in rounds if end <= seconds and figure in r]
    if len(ratios) < 6:
        return None
    estimate, low, high, is_range = hodges_lehmann(ratios, alpha)
    return None if is_range else (percent(estimate), percent(low), percent(high))


def conditions(given):
    keep = pathlib.Path(given.keep)
    keep.mkdir(parents=True, exist_ok=True)
    programs = {0: given.program, **dict(given.drag)}
    for attempt in range(given.tries):
        for condition in given.conditions:
            modes = ("duet",) if condition == "pinned" else ("interleaved", "duet")
            with Load(condition):
                for drag, b in sorted(programs.items()):
                    for mode in modes:
                        before = os.getloadavg()[0]
                        document = run_ab(given.program, given.program, b, f"--{mode}", "--budget",
                                          str(given.seconds), "--alpha", "0.000000001", "--threshold", "0.000001",
                                          "--slice", str(given.slice))
                        document["benchmark"] = {"condition": condition, "asked_mode": mode, "drag": drag,
                                                 "load_before": before, "load_after": os.getloadavg()[0]}
                        name = f"{condition}-{mode}-drag-{drag}-{os.getpid()}-{attempt + 1}.json"
                        (keep / name).write_text(json.dumps(document))
                        print(f"{name}: {len(document['rounds'])} rounds, {document['mode']}", flush=True)
    table(given)


def table(given):
    truth = {**CALIBRATED, **dict(given.truth)}
    cells = {}
    for path in sorted(pathlib.Path(given.keep).glob("*.json")):
        document = json.loads(path.read_text())
        bench = document.get("benchmark")
        if not bench:
            continue
        key = (bench["condition"], bench["asked_mode"], bench["drag"])
        cells.setdefault(key, []).append(figure_rounds(document))
    order = {"quiet": 0, "busy": 1, "bursts": 2, "pinned": 3}
    header = ("condition", "mode", "drag", "figure", "change at 60 s", "±30 s", "±60 s", "±120 s",
              "holds the effect", "right")
    print("| " + " | ".join(header) + " |\n|" + "---|" * len(header))
    for key in sorted(cells, key=lambda k: (order.get(k[0], 9), k[1], k[2])):
        condition, mode, drag = key
        tries = cells[key]
        for figure in FIGURES:
            widths = []
            for seconds in CHECKPOINTS:
                got = [i for i in (interval_by(t, figure, seconds) for t in tries) if i]
                widths.append(f"±{statistics.median((h - l) / 2 for _, l, h in got):.2f} %" if got else "-")
            at_60 = [interval_by(t, figure, 60) for t in tries]
            judged = [i for i in at_60 if i]
            held = (f"{sum(l <= truth[drag] <= h for _, l, h in judged)}/{len(judged)}"
                    if drag in truth else ("-" if drag else f"{sum(l <= 0 <= h for _, l, h in judged)}/{len(judged)}"))
            right_ones = sum(right(drag, verdict(l, h)) for _, l, h in judged)
            change = f"{statistics.median(e for e, _, _ in judged):+.2f} %" if judged else "-"
            print(f"| {condition} | {mode} | {drag} | {figure.replace('_', '-')} | {change} | " + " | ".join(widths) +
                  f" | {held} | {right_ones}/{len(judged)} |")


def drag_program(text):
    percent_text, _, path = text.partition("=")
    if not path or not percent_text.isdigit():
        raise argparse.ArgumentTypeError("a drag is given as N=PROGRAM, such as 1=build/test/megawhets-drag-1")
    return int(percent_text), path


def drag_effect(text):
    percent_text, _, effect = text.partition("=")
    try:
        return int(percent_text), float(effect)
    except ValueError:
        raise argparse.ArgumentTypeError("a drag's effect is given as N=PERCENT, such as 1=-1.29") from None


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("what", choices=["drags", "choices", "calibrate", "conditions", "table"])
    parser.add_argument("--program", default="build/test/megawhets")
    parser.add_argument("--drag", type=drag_program, action="append", default=[],
                        help="N=PROGRAM: the program that does N %% more work (repeatable)")
    parser.add_argument("--tries", type=int, default=None)
    parser.add_argument("--keep", help="drags, conditions and table: each comparison's JSON, in this folder")
    parser.add_argument("--conditions", type=lambda t: t.split(","), default=["quiet", "busy", "bursts", "pinned"])
    parser.add_argument("--truth", type=drag_effect, action="append", default=[],
                        help="N=PERCENT: drag N's calibrated effect (default: docs/ab.md's calibration)")
    parser.add_argument("--slices", type=lambda t: [float(x) for x in t.split(",")], default=[0.25, 0.5, 1, 2])
    parser.add_argument("--seconds", type=float, default=60)
    parser.add_argument("--rounds", type=int, default=200, help="calibrate: the rounds of each long run")
    parser.add_argument("--slice", type=float, default=0.5, help="drags and calibrate: the slices' seconds")
    parser.add_argument("--mode", choices=["interleaved", "duet"], default="interleaved",
                        help="calibrate: how the long runs are run (default: %(default)s)")
    given = parser.parse_args()
    if given.what == "drags":
        given.tries = given.tries or 10
        drags(given)
    elif given.what in ("conditions", "table"):
        if not given.keep:
            raise SystemExit("conditions and table need --keep DIR")
        given.tries = given.tries or 10
        conditions(given) if given.what == "conditions" else table(given)
    elif given.what == "choices":
        given.tries = given.tries or 2
        choices(given)
    else:
        calibrate(given)


if __name__ == "__main__":
    sys.exit(main())
