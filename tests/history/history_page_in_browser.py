"""The history's page, checked in a real browser: headless chromium, as the
comparison's page is (tests/compare_output/page_in_browser.py, whose checks
of elements, titles and policy this reuses).

    history_page_in_browser.py --program PATH --work DIR
    history_page_in_browser.py --program PATH --work DIR --screenshot-to PNG

Makes histories (history_records.py): 30 hosts with names that hold markup,
quotes and a control character, two of which change speed, and a fleet of 240
hosts in two strata, which the page draws in part. For each, runs `PROGRAM
history --fleet --format json` and `--html page.html`, and then:

- the DOM chromium builds holds a chart for each series the page draws (all
  of them up to 200, otherwise exactly those that changed or stand apart),
  each with a mark per run, per level and per change carrying the figures
  the JSON output gives, and a band for each stratum of the rest;
- a copy of the page with a measuring script shows, in every chart, later
  runs to the right, faster runs higher, each level at its median's height
  among its runs, and each change at its run;
- a screenshot is not blank, and a slower change is orange on screen;
- the page requests nothing, and its policy refuses an added script.

--screenshot-to writes a screenshot of a small fleet's page instead, for the
documentation. Exits 0 when the page passes, 77 (skipped) where chromium is
missing, 1 otherwise.
"""
import argparse
import base64
import hashlib
import json
import pathlib
import re
import subprocess
import sys

import numpy

HERE = pathlib.Path(__file__).resolve().parent
sys.path[:0] = [str(HERE), str(HERE.parent), str(HERE.parent / "compare_output")]

import headless_chromium as chromium  # noqa: E402
import history_records  # noqa: E402
import page_in_browser as compare_page  # noqa: E402
import png_pixels  # noqa: E402
import script_test_support as support  # noqa: E402

WINDOW = (1100, 1600)
MOST_SERIES_DRAWN_WHOLE = 200  # history/history_page.h
HOSTILE_NAMES = ["node-0007 <b>&amp;</b>", "o'brien \"box\"", "tab\there", "</title><script>alert(1)</script>"]
say = support.say


class History:
    def __init__(self, program, work):
        self.program, self.work = program, work

    def __call__(self, *arguments):
        done = subprocess.run([self.program, "history", *[str(a) for a in arguments]], capture_output=True)
        if done.returncode not in (0, 4):
            raise AssertionError(f"history {arguments[:1]} exited {done.returncode}: "
                                 f"{done.stderr.decode(errors='replace')[-1500:]}")
        return done.stdout

    def made(self, name, *options):
        records = self.work / name
        history_records.main([*options, str(records)])
        database = self.work / f"{name}.db"
        database.unlink(missing_ok=True)
        self("add", database, records)
        return database


def panels(root):
    return {element.attrs["data-name"]: element for element in root.walk()
            if element.tag == "div" and "multiple" in element.attrs.get("class", "").split()}


def kind_in(element, kind):
    return [mark for mark in element.walk() if mark.attrs.get("data-kind") == kind]


def check_charts(root, document):
    """Each drawn series' marks against the JSON output's figures; the rest
    in their strata's bands."""
    # The page shows a control character as its Unicode picture.
    series = {compare_page.readable(one["name"]): one for one in document["series"]}
    whole = len(series) <= MOST_SERIES_DRAWN_WHOLE
    wanted = {name for name, one in series.items()
              if whole or one["changes"] or one.get("verdict") in ("slow", "fast")}
    drawn = {name: panel for name, panel in panels(root).items() if kind_in(panel, "run")}
    assert set(drawn) == wanted, f"the page draws {sorted(set(drawn) ^ wanted)[:5]} wrongly"
    for name, panel in drawn.items():
        one = series[name]
        runs = kind_in(panel, "run")
        assert [int(run.attrs["data-run"]) for run in runs] == list(range(1, one["runs"] + 1)), \
            f"{name!r}: the page has {len(runs)} runs, the JSON output {one['runs']}"
        assert sum(run.attrs.get("data-left-out") == "true" for run in runs) == one["left_out"], name
        levels = kind_in(panel, "level")
        assert [float(level.attrs["data-value"]) for level in levels] == [s["median"] for s in one["segments"]], name
        changes = kind_in(panel, "change")
        assert [(int(c.attrs["data-run"]), float(c.attrs["data-value"])) for c in changes] == \
            [(c["run"], c["percent"]) for c in one["changes"]], name
        for change, line in zip(changes, one["changes"]):
            assert change.title() == compare_page.readable(line["line"]), f"{change.title()!r} is not {line['line']!r}"
    # A fleet's page leads with the series that need a look, outlined, and
    # its table of them comes before every chart.
    flagged = [name for name, one in series.items()
               if one.get("verdict") == "slow" or any(c.get("recent") for c in one["changes"])]
    order = list(panels(root))
    assert order[:len(flagged)] == [n for n in order if n in flagged] and set(order[:len(flagged)]) == set(flagged), \
        f"the page does not lead with {flagged}: {order[:len(flagged) + 2]}"
    for name, panel in panels(root).items():
        assert (panel.attrs.get("data-flagged") == "true") == (name in flagged), f"{name!r} is marked wrongly"
    if flagged:
        answer = [e for e in root.walk() if e.attrs.get("id") == "answer"]
        assert answer and all(name in answer[0].text() for name in flagged), "no table of the flagged leads the page"
    bands = [mark for mark in root.walk() if mark.attrs.get("data-kind") == "band"]
    summarised = sum(int(band.attrs["data-value"]) for band in bands)
    assert summarised == len(series) - len(drawn), f"the bands hold {summarised} of {len(series) - len(drawn)} series"
    return len(drawn), len(bands)


def centre(element):
    left, right, top, bottom = element.box()
    return (left + right) / 2, (top + bottom) / 2


def check_geometry(root):
    """Later runs to the right and faster ones higher, on one straight scale
    per chart; each level at its median among them; each change at its run."""
    checked = 0
    for name, panel in panels(root).items():
        runs = kind_in(panel, "run")
        if not runs:
            continue
        points = sorted((float(run.attrs["data-value"]), centre(run)[1]) for run in runs
                        if run.attrs.get("data-left-out") != "true")
        # A left-out run drawn within the plot is at its figure; one beyond
        # the ticks is on the edge, and says so.
        ticks = [(float(line.attrs["data-tick"]), centre(line)[1]) for line in panel.walk() if "data-tick" in line.attrs]
        for run in runs:
            if run.attrs.get("data-left-out") != "true":
                continue
            value, height = float(run.attrs["data-value"]), centre(run)[1]
            side = run.attrs.get("data-off-scale")
            lowest, highest = min(t for t, _ in ticks), max(t for t, _ in ticks)
            if side == "below":
                assert value < lowest and height >= max(h for _, h in ticks) - 0.6, f"{name!r}: {value} below"
            elif side == "above":
                assert value > highest and height <= min(h for _, h in ticks) + 0.6, f"{name!r}: {value} above"
            else:
                assert lowest <= value <= highest, f"{name!r}: a left-out run at {value} is drawn on the scale"
                points.append((value, height))
        points.sort()
        xs = [centre(run)[0] for run in runs]
        assert all(a <= b + 0.01 for a, b in zip(xs, xs[1:])), f"{name!r}: a later run stands to the left"
        for (value_a, y_a), (value_b, y_b) in zip(points, points[1:]):
            assert value_a == value_b or y_a > y_b - 0.01, f"{name!r}: a faster run stands lower"
        if len(points) >= 2 and points[-1][0] > points[0][0]:
            (v0, y0), (v1, y1) = points[0], points[-1]
            for level in kind_in(panel, "level"):
                expected = y0 + (float(level.attrs["data-value"]) - v0) / (v1 - v0) * (y1 - y0)
                assert abs(centre(level)[1] - expected) < 0.6, f"{name!r}: a level is off its scale"
        for change in kind_in(panel, "change"):
            assert abs(centre(change)[0] - xs[int(change.attrs["data-run"]) - 1]) < 0.6, \
                f"{name!r}: a change is not at its run"
        checked += len(runs)
    return checked


def check_page(name, page, document, work):
    net_log = work / f"{name}-net.json"
    dom = compare_page.parse_dom(chromium.dump_dom(page, WINDOW, net_log=net_log))
    compare_page.check_elements_and_policy(dom)
    compare_page.check_marks_have_titles(dom)
    drawn, bands = check_charts(dom, document)
    requests = chromium.page_requests(net_log)
    assert not requests, f"the page made requests: {requests[:5]}"
    say(f"{name}: {drawn} series drawn and {bands} bands, as the JSON output has them; nothing requested")

    text = page.read_text(encoding="utf-8")
    script = compare_page.MEASURING_SCRIPT
    digest = base64.b64encode(hashlib.sha256(script.encode()).digest()).decode()
    measuring = re.sub(r'(http-equiv="Content-Security-Policy" content=")([^"]*)"',
                       lambda found: f"{found.group(1)}{found.group(2)}; script-src 'sha256-{digest}'\"", text, count=1)
    measuring_path = work / f"{name}-measuring.html"
    measuring_path.write_text(measuring.replace("</body>", f"<script>{script}</script></body>"), encoding="utf-8")
    measured = compare_page.parse_dom(chromium.dump_dom(measuring_path, WINDOW))
    assert measured.children[0].attrs.get("data-measured") == "yes", "the measuring script did not run"
    say(f"{name}: {check_geometry(measured)} runs, their levels and changes lie where their figures put them")

    png = work / f"{name}.png"
    chromium.screenshot(page, png, WINDOW)
    image = png_pixels.read_png(png)
    flat = image.reshape(-1, 3)
    inked = float(numpy.mean(numpy.any(flat < 245, axis=1)))
    assert inked > 0.03, f"the screenshot looks blank: {inked:.1%} inked"
    slower = [mark for mark in measured.walk()
              if mark.attrs.get("data-kind") == "change" and "slower" in mark.attrs.get("class", "")]
    on_screen = 0
    for mark in slower:
        left, right, top, bottom = mark.box()
        x = int((left + right) / 2)
        if 0 <= x < WINDOW[0] and 0 <= top and bottom < WINDOW[1]:
            # A dashed line of a pixel and a half, smoothed into its
            # neighbours: orange however much of the white it takes up.
            near = image[int(top):int(bottom), max(0, x - 2):x + 3].reshape(-1, 3).astype(int)
            assert any(r >= 0xd0 and 0x80 <= g <= 0xd0 and b <= 0x70 for r, g, b in near), \
                f"the slower change of {mark.attrs['data-name']!r} is not orange on screen"
            on_screen += 1
    say(f"{name}: the screenshot is {inked:.0%} inked, {on_screen} slower changes orange on it")


def run_browser_test(args):
    work = chromium.work_folder(args.work)
    history = History(args.program, work)
    names = ",".join(HOSTILE_NAMES + [f"node-{k:04d}" for k in range(1, 27)])
    small = history.made("hosts", "--host-names", names, "--runs", "24", "--every", "7", "--step",
                         "node-0003:12:-6", "--step", HOSTILE_NAMES[0] + ":15:+5", "--warned", "0.05")
    document = json.loads(history("--fleet", "--format", "json", small))
    history("--fleet", "--html", work / "hosts.html", small)
    check_page("hosts", work / "hosts.html", document, work)

    fleet = history.made("fleet", "--hosts", "240", "--runs", "12", "--every", "30", "--processors",
                         "Model A:13000,Model B:15500", "--step", "node-0010:6:-7", "--step", "node-0200:8:-5")
    document = json.loads(history("--fleet", "--format", "json", fleet))
    history("--fleet", "--html", work / "fleet.html", fleet)
    check_page("fleet", work / "fleet.html", document, work)
    compare_page.check_policy_holds(work / "hosts.html", work)

    # Runs of one day: the ends of the time axis tell them apart by time.
    day = history.made("day", "--hosts", "3", "--runs", "8", "--every", "0.05")
    history("--html", work / "day.html", day)
    labels = [e.text() for e in compare_page.parse_dom(chromium.dump_dom(work / "day.html", WINDOW)).walk()
              if e.tag == "text" and re.match(r"^\d{4}-\d\d-\d\d", e.text())]
    assert labels and len(set(labels[:2])) == 2, f"a day's runs show the time axis as {labels[:2]}"
    say(f"one day's runs: the time axis runs from {labels[0]} to {labels[1]}")


def write_documentation_screenshot(args):
    work = chromium.work_folder(args.work)
    history = History(args.program, work)
    fleet = history.made("documentation", "--hosts", "9", "--runs", "24", "--every", "30", "--step",
                         "node-0004:14:-6", "--drift", "node-0008:16:-1", "--warned", "0.04")
    history("--fleet", "--html", work / "documentation.html", fleet)
    chromium.screenshot(work / "documentation.html", args.screenshot_to, (1000, 760))
    say(f"wrote {args.screenshot_to}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    return chromium.page_test_main(parser, run_browser_test, write_documentation_screenshot)

if __name__ == "__main__":
    sys.exit(main())
