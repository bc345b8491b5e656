"""The page of `megawhets ab`, checked in a real browser: headless chromium.

    page_in_browser.py --program MEGAWHETS --drag MEGAWHETS_DRAG_5 --work DIR
    page_in_browser.py --program MEGAWHETS --drag MEGAWHETS_DRAG_5 --work DIR --screenshot-to PNG

Compares the program against its 5 % drag, each started through a link whose
name holds markup, quotes, a control character and bytes that are not UTF-8,
for a few short rounds, with `--format json` and `--html page.html`; then:

- the DOM chromium builds from the page holds a mark for every slice of the
  rounds and every round, the answer's interval, its estimate, the
  threshold's bounds and the unpaired interval, each with its <title> and
  the data-value the JSON output gives it, and no element the page did not
  make; the program's names are text, whole;
- a copy of the page with a measuring script added shows every mark where
  its figure puts it, on one straight scale per axis: the slices by their
  figure and their start, the rounds, the band's edges and the lines by
  theirs;
- no text of a chart leaves its SVG's box, where the browser would clip it;
- a screenshot is not blank, and has the slices' colours (A slate, B green)
  at the slices and the verdict's colour inside the band;
- the page requests nothing, and its policy refuses an added script and
  image (tests/compare_output/page_in_browser.py's check).

--screenshot-to writes a screenshot of the page of a longer comparison of
the two programs with plain names instead, for the documentation. Exits 0
when the page passes, 77 (skipped) where chromium is missing, 1 otherwise.
"""
import argparse
import base64
import hashlib
import json
import os
import pathlib
import re
import subprocess
import sys

import numpy

HERE = pathlib.Path(__file__).resolve().parent
sys.path[:0] = [str(HERE.parent / "compare_output"), str(HERE.parent)]

import headless_chromium as chromium  # noqa: E402
import page_in_browser as compare_page  # noqa: E402
import png_pixels  # noqa: E402
import script_test_support as support  # noqa: E402

WINDOW = compare_page.WINDOW
PAGE_ELEMENTS = compare_page.PAGE_ELEMENTS
# The page's colours (output/page_style.cpp).
SLICE_COLOURS = {"A": (0x4d, 0x59, 0x66), "B": (0x00, 0x9e, 0x73)}
BAND_COLOURS = {"slower": (0xfd, 0xe9, 0xc8), "faster": (0xd6, 0xea, 0xf6), "same": (0xec, 0xef, 0xf1),
                "undecided": (0xec, 0xef, 0xf1)}
# A directory and a name for each program that a page must keep as text.
HOSTILE_DIRECTORY = "dir <b>&amp;</b> \"o'brien\""
# (A file's name holds no slash, so the closing tags are written without.)
HOSTILE_NAMES = {"A": b"a-<title><script>alert(1)<\\script>&amp;\x01\xff", "B": b"b-<i>drag<\\i>\x1b[31m"}

say = support.say

# compare's measuring script, measuring every text of the charts as well.
MEASURING_SCRIPT = compare_page.MEASURING_SCRIPT.replace(" text.host-label')", " text.host-label, svg.chart text')")
assert MEASURING_SCRIPT != compare_page.MEASURING_SCRIPT, "compare's measuring script changed its selector"


def run_ab(program, *arguments):
    done = subprocess.run([program, "ab", *[os.fsencode(a) if isinstance(a, bytes) else str(a) for a in arguments]],
                          capture_output=True)
    if done.returncode not in (0, 4):
        raise AssertionError(f"megawhets ab exited {done.returncode}: {done.stderr.decode(errors='replace')[-1500:]}")
    return done.stdout


def hostile_links(work, program, drag):
    """The two programs under names a page must keep as text."""
    directory = os.path.join(os.fsencode(work), HOSTILE_DIRECTORY.encode())
    os.makedirs(directory, exist_ok=True)
    links = {}
    for letter, target in (("A", program), ("B", drag)):
        link = os.path.join(directory, HOSTILE_NAMES[letter])
        if os.path.lexists(link):
            os.remove(link)
        os.symlink(os.path.abspath(target), link)
        links[letter] = link
    return links


def expected_marks(document):
    """What the page must draw, from `--format json`
    (ab/ab-comparison.schema.json)."""
    # The settings name a figure as --figure does; the slices key it with _.
    figure = document["settings"]["figure"].replace("-", "_")
    slices = []
    for r in document["rounds"]:
        for key, letter in (("a_slice", "A"), ("b_slice", "B")):
            s = document["slices"][r[key]]
            slices.append((letter, r["round"], s[figure], s["start_seconds"]))
    answer, unpaired = document["answer"], document["unpaired"]
    threshold = document["settings"]["threshold_percent"]
    return {"slices": sorted(slices), "rounds": sorted((r["round"], r["change_percent"]) for r in document["rounds"]),
            "interval": (answer["low_percent"], answer["high_percent"]), "estimate": answer["change_percent"],
            "thresholds": sorted([threshold, -threshold]),
            "unpaired": (unpaired["low_percent"], unpaired["high_percent"]), "verdict": answer["verdict"]}


def values(text):
    return tuple(float(figure) for figure in text.split())


def check_marks(dom, expected, names):
    marks = compare_page.marks
    slices = sorted((m.attrs["data-name"], int(m.attrs["data-round"]), float(m.attrs["data-value"]),
                     float(m.attrs["data-seconds"])) for m in marks(dom, "slice"))
    assert slices == expected["slices"], "the slices' marks are not the JSON output's slices"
    rounds = sorted((int(m.attrs["data-round"]), float(m.attrs["data-value"])) for m in marks(dom, "round"))
    assert rounds == expected["rounds"], "the rounds' marks are not the JSON output's rounds"
    [band] = marks(dom, "interval")
    assert values(band.attrs["data-value"]) == expected["interval"], "the band is not the answer's interval"
    assert expected["verdict"] in band.attrs["class"].split() and expected["verdict"] in band.title(), \
        f"the band does not say {expected['verdict']}"
    [estimate] = marks(dom, "estimate")
    assert float(estimate.attrs["data-value"]) == expected["estimate"], "the estimate's line is not the answer's"
    thresholds = sorted(float(m.attrs["data-value"]) for m in marks(dom, "threshold"))
    assert thresholds == expected["thresholds"], f"the threshold's lines are at {thresholds}"
    [unpaired] = marks(dom, "unpaired-interval")
    assert values(unpaired.attrs["data-value"]) == expected["unpaired"], "the unpaired interval is not the JSON's"
    traces = {m.attrs["data-name"]: m for m in marks(dom, "trace")}
    text = dom.text()
    for letter, name in names.items():
        assert letter in traces and name in traces[letter].title(), f"{letter}'s line does not name {name!r}"
        assert name in text, f"the page does not show {letter}'s name {name!r} as text"


def box_middle(element):
    left, right, top, bottom = element.box()
    return (left + right) / 2, (top + bottom) / 2


def axis_ticks(chart, axis, vertical):
    groups = [g for g in chart.walk() if g.tag == "g" and g.attrs.get("data-axis") == axis]
    return [(float(line.attrs["data-tick"]), box_middle(line)[1 if vertical else 0])
            for g in groups for line in g.walk() if "data-tick" in line.attrs]


def on_scale(points, what, vertical):
    """The marks lie on one straight scale with the axis's ticks: higher
    figures further right, or further up."""
    compare_page.straight_scale([(value, -pixel if vertical else pixel) for value, pixel in points], what)


def check_geometry(measured):
    charts = {e.attrs["class"].split()[1]: e for e in measured.walk() if e.tag == "svg" and "chart" in
              e.attrs.get("class", "").split()}
    figures = charts["ab-figures"]
    slices = [e for e in figures.walk() if e.attrs.get("data-kind") == "slice"]
    on_scale(axis_ticks(figures, "vertical", True) +
             [(float(s.attrs["data-value"]), box_middle(s)[1]) for s in slices], "the figures' axis", True)
    on_scale(axis_ticks(figures, "horizontal", False) +
             [(float(s.attrs["data-seconds"]), box_middle(s)[0]) for s in slices], "the seconds' axis", False)
    ratios = charts["ab-ratios"]
    inside = list(ratios.walk())
    points = axis_ticks(ratios, "vertical", True)
    points += [(float(e.attrs["data-value"]), box_middle(e)[1]) for e in inside
               if e.attrs.get("data-kind") in ("round", "estimate", "threshold") and "data-off-scale" not in e.attrs]
    # A round far out lies on the plot's edge, beyond every tick, on its side.
    ticks = axis_ticks(ratios, "vertical", True)
    for e in inside:
        side = e.attrs.get("data-off-scale")
        if side:
            value, height = float(e.attrs["data-value"]), box_middle(e)[1]
            beyond = value > max(t for t, _ in ticks) if side == "above" else value < min(t for t, _ in ticks)
            edge = min(h for _, h in ticks) if side == "above" else max(h for _, h in ticks)
            assert beyond and (height <= edge + 0.5 if side == "above" else height >= edge - 0.5), \
                f"the round off the scale ({value}, {side}) is not beyond the ticks at the plot's edge"
    for kind in ("interval", "unpaired-interval"):
        for e in inside:
            if e.attrs.get("data-kind") == kind:
                low, high = values(e.attrs["data-value"])
                points += [(high, e.box()[2]), (low, e.box()[3])]
    on_scale(points, "the ratios' axis", True)
    rounds = [e for e in inside if e.attrs.get("data-kind") == "round"]
    on_scale(axis_ticks(ratios, "horizontal", False) +
             [(float(e.attrs["data-round"]), box_middle(e)[0]) for e in rounds], "the rounds' axis", False)
    return len(points) + 2 * len(slices) + len(rounds)


def check_text_inside(measured):
    """Every text of a chart lies within its SVG's box: a label past the
    viewBox's edge is cut off, as "unpaired" once lost its last letter."""
    texts = 0
    for chart in measured.walk():
        if chart.tag != "svg" or "chart" not in chart.attrs.get("class", "").split():
            continue
        left, right, top, bottom = chart.box()
        for text in chart.walk():
            if text.tag != "text":
                continue
            texts += 1
            t_left, t_right, t_top, t_bottom = text.box()
            assert (t_left >= left - 0.5 and t_right <= right + 0.5 and t_top >= top - 0.5
                    and t_bottom <= bottom + 0.5), \
                f"the text {text.text()!r} at {text.box()} leaves its chart's box {chart.box()}"
    assert texts, "no text was measured in the charts"
    return texts


def check_screenshot(png, measured, verdict):
    image = png_pixels.read_png(png)
    flat = image.reshape(-1, 3)
    inked = float(numpy.mean(numpy.any(flat < 245, axis=1)))
    assert inked > 0.03, f"the screenshot looks blank: {inked:.1%} inked"

    def pixel(x, y):
        return tuple(int(channel) for channel in image[int(y), int(x)])

    def near(a, b):
        return all(abs(p - q) <= 3 for p, q in zip(a, b))

    for letter, colour in SLICE_COLOURS.items():
        dots = [e for e in measured.walk() if e.attrs.get("data-kind") == "slice" and e.attrs["data-name"] == letter]
        shown = [near(pixel(*box_middle(dot)), colour) for dot in dots if box_middle(dot)[1] < WINDOW[1]]
        assert shown and sum(shown) >= 0.7 * len(shown), \
            f"{letter}'s slices show its colour {colour} at {sum(shown)} of {len(shown)}"
    # The band is sampled across its inside, most of which no grid line, dot
    # or line crosses: one sample could land on a tick's grid line.
    [band] = [e for e in measured.walk() if e.attrs.get("data-kind") == "interval"]
    left, right, top, bottom = band.box()
    if bottom - top >= 6:
        samples = [pixel(left + 3 + (right - left - 6) * i / 8, top + 2 + (bottom - top - 4) * j / 2)
                   for i in range(9) for j in range(3)]
        matching = sum(near(sample, BAND_COLOURS[verdict]) for sample in samples)
        assert matching >= 0.6 * len(samples), \
            f"the band of a {verdict} answer shows {BAND_COLOURS[verdict]} at {matching} of {len(samples)} " \
            f"points inside it: {samples[:5]}"
    return inked


def check(args):
    work = chromium.work_folder(args.work)
    links = hostile_links(work, args.program, args.drag)
    page = work / "page.html"
    document = json.loads(run_ab(args.program, "--interleaved", "--slice", "0.1", "--rounds", "8", "--seed", "7",
                                 "--format", "json", "--html", page, links["A"], links["B"]))
    expected = expected_marks(document)
    names = {letter: compare_page.readable(program["name"]) for letter, program in
             zip("AB", document["programs"])}
    net_log = work / "net.json"
    dom = compare_page.parse_dom(chromium.dump_dom(page, WINDOW, net_log=net_log))
    compare_page.check_elements_and_policy(dom)
    compare_page.check_marks_have_titles(dom)
    check_marks(dom, expected, names)
    assert not chromium.page_requests(net_log), "the page made requests"
    say(f"{len(expected['slices'])} slices and {len(expected['rounds'])} rounds: the DOM matches the JSON output, "
        f"the hostile names are text, and the page requested nothing")

    # A copy whose policy admits the measuring script, by its hash.
    digest = base64.b64encode(hashlib.sha256(MEASURING_SCRIPT.encode()).digest()).decode()
    measuring = re.sub(r'(http-equiv="Content-Security-Policy" content=")([^"]*)"',
                       lambda found: f"{found.group(1)}{found.group(2)}; script-src 'sha256-{digest}'\"",
                       page.read_text(encoding="utf-8"), count=1)
    measuring = measuring.replace("</body>", f"<script>{MEASURING_SCRIPT}</script></body>")
    measuring_path = work / "measuring.html"
    measuring_path.write_text(measuring, encoding="utf-8")
    measured = compare_page.parse_dom(chromium.dump_dom(measuring_path, WINDOW))
    assert measured.children and measured.children[0].attrs.get("data-measured") == "yes", \
        "the measuring script did not run"
    say(f"{check_geometry(measured)} marks and ticks lie where their figures put them")
    say(f"{check_text_inside(measured)} texts of the charts lie inside them")

    png = work / "page.png"
    chromium.screenshot(page, png, WINDOW)
    inked = check_screenshot(png, measured, expected["verdict"])
    say(f"the screenshot is {inked:.0%} inked, with each program's colour at its slices and the "
        f"{expected['verdict']} band's inside it")
    compare_page.check_policy_holds(page, work)


def write_documentation_screenshot(args):
    work = chromium.work_folder(args.work)
    page = work / "documentation.html"
    run_ab(args.program, "--interleaved", "--rounds", "30", "--html", page, args.program, args.drag)
    chromium.screenshot(page, args.screenshot_to, (1000, 1180))
    say(f"wrote {args.screenshot_to}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--drag", required=True, help="the program's 5 % drag")
    return chromium.page_test_main(parser, check, write_documentation_screenshot)

if __name__ == "__main__":
    sys.exit(main())
