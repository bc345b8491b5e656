"""The comparison's page, checked in a real browser: headless chromium.

    page_in_browser.py --program PATH [--subcommand compare] --work DIR
    page_in_browser.py --program PATH [--subcommand compare] --work DIR --screenshot-to PNG

Makes records (synthetic_records.py): an experiment of one host under five
labels, and a fleet of 2,500 hosts in four strata with slow and fast hosts,
warnings and runs in copies, with names and a file name that hold markup,
quotes, a control character and bytes that are not UTF-8. For each, runs
`PROGRAM SUBCOMMAND --format json` and `--html page.html`, and then:

- the DOM chromium builds from the page holds a mark for every group, record
  and host, each with its <title> and the data-name and data-value the JSON
  output gives it, and no element the page did not make;
- a copy of the page with a measuring script added (the page has none, and
  its policy admits only this script, by its hash) shows every mark where its
  value puts it: bars from zero as long as their rates, dots, whiskers,
  medians and the slow band on one straight scale per chart, slow hosts in
  the band, and host names that do not overlap;
- a screenshot is not blank, and at each bar and each slow or fast host it
  has the colour that bar or host stands for;
- the net log shows no request from the page; a copy with a script and an
  image from elsewhere added is refused both under the page's policy, and
  makes both without it, so that the checks can see what they look for.

--screenshot-to writes a screenshot of a smaller fleet's page instead, for
the documentation. Exits 0 when the page passes, 77 (skipped) where chromium
is missing, 1 otherwise.
"""
import argparse
import base64
import hashlib
import html.parser
import json
import math
import os
import pathlib
import re
import shutil
import subprocess
import sys
import time

import numpy

HERE = pathlib.Path(__file__).resolve().parent
sys.path[:0] = [str(HERE), str(HERE.parent), str(HERE.parent / "compare")]

import headless_chromium as chromium  # noqa: E402
import png_pixels  # noqa: E402
import script_test_support as support  # noqa: E402
import synthetic_records  # noqa: E402

WINDOW = (1100, 1600)
MOST_GROUPS_CHARTED = 40   # compare_output/group_chart.h
MOST_HOSTS_NAMED = 40      # compare_output/fleet_chart.h, per stratum
PIXEL_TOLERANCE = 0.5      # coordinates are written to a hundredth of a pixel
# The page's colours (output/page_style.cpp): blue and orange, which
# readers with any common colour blindness tell apart, and greys.
COLOURS = {"base": (0x4d, 0x59, 0x66), "faster": (0x00, 0x72, 0xb2), "slower": (0xe6, 0x9f, 0x00),
           "unclear": (0xc3, 0xc9, 0xcf), "few": (0xc3, 0xc9, 0xcf), "slow": (0xe6, 0x9f, 0x00),
           "fast": (0x00, 0x72, 0xb2)}
# Each verdict's class on the page (output/verdict_style.cpp).
VERDICT_CLASSES = {"base": "base", "faster": "faster", "slower": "slower", "~": "unclear", "n<4": "few", "ok": "ok",
                   "slow": "slow", "fast": "fast", "unjudged": "unjudged", "-": "none"}
# Every element the page makes; a name that got out of its escaping would
# bring another.
PAGE_ELEMENTS = {"html", "head", "meta", "title", "style", "body", "header", "h1", "h2", "h3", "p", "section",
                 "span", "ul", "li", "svg", "g", "rect", "circle", "line", "path", "text", "details", "summary",
                 "div", "table", "thead", "tbody", "tr", "th", "td"}
VOID_ELEMENTS = {"meta", "br", "img", "input", "link", "hr", "area", "base", "col", "embed", "source", "track", "wbr"}
MEASURING_SCRIPT = (
    "for (const e of document.querySelectorAll('[data-kind], [data-tick], [data-panel], g.axis text, svg.chart,"
    " text.host-label')) {"
    " const r = e.getBoundingClientRect();"
    " e.setAttribute('data-box', [r.left, r.right, r.top, r.bottom].join(' ')); }"
    " document.documentElement.setAttribute('data-measured', 'yes');")
PROBE = ("<script>document.documentElement.setAttribute('data-script-ran', 'yes')</script>"
         "<img src=\"http://megawhets.invalid/probe.png\" alt=\"\">")
HOSTILE_NAMES = ["node-0007 <b>&amp;</b>", "o'brien \"box\"", "n\u0153ud-\u00fcn\u00efcode-\u65e5\u672c",
                 "tab\there", "</title><script>alert(1)</script>", "gpu7\u202ewols", "c1-\u009b2J"]
HOSTILE_LABEL = "</title><script>alert('label')</script> & \"quotes\" <b>"
HOSTILE_FILE = b"z-few-\xff-<i>.json"  # a file name that is not UTF-8, read after runs.json

say = support.say


# --- the DOM ---------------------------------------------------------------

class Element:
    def __init__(self, tag, attrs, parent):
        self.tag, self.attrs, self.parent = tag, dict(attrs), parent
        self.children, self.texts = [], []

    def text(self):
        return "".join(self.texts) + "".join(child.text() for child in self.children)

    def walk(self):
        yield self
        for child in self.children:
            yield from child.walk()

    def title(self):
        titles = [child.text() for child in self.children if child.tag == "title"]
        return titles[0] if titles else ""

    def box(self):
        return [float(figure) for figure in self.attrs["data-box"].split()]


class DomBuilder(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.root = Element("#document", {}, None)
        self.open = [self.root]

    def handle_starttag(self, tag, attrs):
        element = Element(tag, attrs, self.open[-1])
        self.open[-1].children.append(element)
        if tag not in VOID_ELEMENTS:
            self.open.append(element)

    def handle_startendtag(self, tag, attrs):
        self.open[-1].children.append(Element(tag, attrs, self.open[-1]))

    def handle_endtag(self, tag):
        for depth in range(len(self.open) - 1, 0, -1):
            if self.open[depth].tag == tag:
                del self.open[depth:]
                return

    def handle_data(self, data):
        self.open[-1].texts.append(data)


def parse_dom(text):
    builder = DomBuilder()
    builder.feed(text)
    builder.close()
    return builder.root


def marks(root, kind):
    return [element for element in root.walk() if element.attrs.get("data-kind") == kind]


BIDI_CONTROLS = {0x061C, 0x200E, 0x200F, *range(0x202A, 0x202F), *range(0x2066, 0x206A)}


def readable(text):
    """A name as the page shows it (output/html_text.h): C0 controls
    as their Unicode pictures, C1 and bidi controls as escapes."""
    def shown(c):
        if c == "\x7f":
            return "\u2421"
        if ord(c) < 0x20:
            return chr(0x2400 + ord(c))
        if 0x80 <= ord(c) <= 0x9F or ord(c) in BIDI_CONTROLS:
            return f"\\u{ord(c):04X}"
        return c
    return "".join(shown(c) for c in text)


# --- what the JSON output says ---------------------------------------------

def expectations(comparison):
    """What the page must show, from `--format json`
    (compare_output/comparison.schema.json): the one place that knows that
    output's field names."""
    groups = [{"name": group["name"], "base": group["base"], "verdict": group["verdict"],
               "median": group["steady"]["median"],
               "low": group["steady"]["low"], "high": group["steady"]["high"],
               "records": sorted((point["steady"], point["source"]) for point in group["points"])}
              for group in comparison["groups"]]
    hosts = {host["host"]: {"value": host["steady"], "stratum": host["stratum"], "verdict": host["verdict"],
                            "median": host["stratum_median"]} for host in comparison["hosts"] or []}
    return {"fleet": comparison["settings"]["fleet"], "slow_percent": comparison["settings"]["slow_percent"],
            "groups": groups, "hosts": hosts, "slow_hosts": comparison["slow_hosts"],
            "slow_hosts_apart": comparison["slow_hosts_apart"],
            "excluded": [record["source"] for record in comparison["excluded"]]}


def same(figure, text, what):
    assert float(text) == figure, f"{what}: the page says {text}, the JSON output {figure!r}"


# --- the checks ------------------------------------------------------------

def check_elements_and_policy(root):
    strangers = sorted({element.tag for element in root.walk()} - PAGE_ELEMENTS - {"#document"})
    assert not strangers, f"the DOM holds elements the page does not make: {strangers}"
    for element in root.walk():
        loads = {"src", "href", "xlink:href", "srcset", "action", "data"} & set(element.attrs)
        assert not loads, f"<{element.tag}> has {sorted(loads)}, which would load something"
    style = "".join(element.text() for element in root.walk() if element.tag == "style")
    assert "url(" not in style and "@import" not in style, "the stylesheet loads something"
    policies = [element.attrs.get("content", "") for element in root.walk()
                if element.tag == "meta" and element.attrs.get("http-equiv", "").lower() == "content-security-policy"]
    assert len(policies) == 1 and "default-src 'none'" in policies[0], f"the page's policy is {policies}"
    assert "script-src" not in policies[0], "the page's policy admits scripts"


def check_marks_have_titles(root):
    for element in root.walk():
        if "data-kind" in element.attrs:
            assert {"data-name", "data-value"} <= set(element.attrs), f"a {element.attrs['data-kind']} mark lacks data"
            title = element.title()
            assert title and readable(element.attrs["data-name"]) in title or element.attrs["data-name"] == "", \
                f"the {element.attrs['data-kind']} mark of {element.attrs['data-name']!r} has the title {title!r}"


def check_group_marks(root, expected):
    groups = expected["groups"]
    bars = marks(root, "bar")
    if len(groups) > MOST_GROUPS_CHARTED:
        assert not bars, f"{len(groups)} groups are charted, above the {MOST_GROUPS_CHARTED} the page allows"
        note = [e for e in root.walk() if "chart-left-out" in e.attrs.get("class", "")]
        assert note and f"{len(groups):,}" in note[0].text(), "the page does not say why the groups have no chart"
        return
    assert [readable(g["name"]) for g in groups] == [bar.attrs["data-name"] for bar in bars], "bars and groups differ"
    for group, bar in zip(groups, bars):
        same(group["median"], bar.attrs["data-value"], f"the bar of {group['name']!r}")
        assert (bar.attrs["data-base"] == "yes") == group["base"], f"{group['name']!r} is marked base wrongly"
    intervals = {mark.attrs["data-name"]: mark.attrs["data-value"].split() for mark in marks(root, "interval")}
    for group in groups:
        low, high = intervals[readable(group["name"])]
        same(group["low"], low, f"the interval of {group['name']!r}")
        same(group["high"], high, f"the interval of {group['name']!r}")
        dots = sorted((float(mark.attrs["data-value"]), mark.attrs["data-source"]) for mark in marks(root, "record")
                      if mark.attrs["data-name"] == readable(group["name"]))
        assert dots == [(steady, readable(source)) for steady, source in group["records"]], \
            f"the dots of {group['name']!r} are not its records"
    for group, bar in zip(groups, bars):
        assert bar.attrs["class"].split()[1] == VERDICT_CLASSES[group["verdict"]], \
            f"the bar of {group['name']!r} is classed {bar.attrs['class']!r}, its verdict is {group['verdict']!r}"
    if expected["fleet"]:
        # A fleet's groups are its hosts: the chart shows each host's verdict
        # against its stratum, as the strip charts above it do, and no base.
        for group in groups:
            host = expected["hosts"].get(group["name"])
            assert host is None or group["verdict"] == host["verdict"], \
                f"the group {group['name']!r} is {group['verdict']!r}, its host {host['verdict']!r}"
        assert not marks(root, "base-line") and not any(group["base"] for group in groups), "a fleet has a base"
        return
    base = [group for group in groups if group["base"]]
    lines = marks(root, "base-line")
    assert len(lines) == len(base) == 1, "the base is not marked once"
    same(base[0]["median"], lines[0].attrs["data-value"], "the base line")
    words = [e.text() for e in root.walk() if e.tag == "text" and "base" in e.attrs.get("class", "").split()]
    assert any(word.startswith("base") for word in words), "the base is not named beside its colour"


def check_host_marks(root, expected):
    hosts = expected["hosts"]
    shown = {mark.attrs["data-name"]: mark for mark in marks(root, "host")}
    assert len(shown) == len(marks(root, "host")) == len(hosts), \
        f"{len(marks(root, 'host'))} host marks for {len(hosts)} hosts"
    for name, host in hosts.items():
        mark = shown.get(readable(name))
        assert mark is not None, f"host {name!r} has no mark"
        same(host["value"], mark.attrs["data-value"], f"host {name!r}")
        assert mark.attrs["data-stratum"] == readable(host["stratum"]), f"host {name!r} is in the wrong stratum"
        assert mark.attrs["data-verdict"] == host["verdict"] and host["verdict"] in mark.title(), \
            f"host {name!r} is not called {host['verdict']}"
    strata = {host["stratum"]: host["median"] for host in hosts.values()}
    medians = {mark.attrs["data-name"]: mark.attrs["data-value"] for mark in marks(root, "stratum-median")}
    bands = {mark.attrs["data-name"]: mark.attrs["data-value"] for mark in marks(root, "slow-band")}
    for stratum, median in strata.items():
        same(median, medians[readable(stratum)], f"the median of {stratum!r}")
        judged = any(host["verdict"] != "unjudged" for host in hosts.values() if host["stratum"] == stratum)
        assert (readable(stratum) in bands) == judged, f"the slow band of {stratum!r} is drawn wrongly"
        if judged:
            threshold = median * (1.0 - expected["slow_percent"] / 100.0)
            assert math.isclose(float(bands[readable(stratum)]), threshold, rel_tol=1e-12), \
                f"the slow band of {stratum!r} ends at {bands[readable(stratum)]}, not {threshold}"
    labels = {e.attrs["data-name"] for e in root.walk() if "host-label" in e.attrs.get("class", "")}
    for stratum in strata:
        apart = [name for name, host in hosts.items() if host["stratum"] == stratum and host["verdict"] in ("slow", "fast")]
        if len(apart) <= MOST_HOSTS_NAMED:
            missing = [name for name in apart if readable(name) not in labels]
            assert not missing, f"slow or fast hosts of {stratum!r} are not named on the chart: {missing}"
    for css_class in ("slow-list", "closing"):
        listed = [e.attrs["data-name"] for paragraph in root.walk() if css_class in paragraph.attrs.get("class", "")
                  for e in paragraph.walk() if "data-name" in e.attrs]
        assert listed == [readable(name) for name in expected["slow_hosts"]], \
            f"the page's {css_class} names {listed}, the JSON output {expected['slow_hosts']}"
    apart = [e.attrs["data-name"] for paragraph in root.walk() if "slow-apart" in paragraph.attrs.get("class", "")
             for e in paragraph.walk() if "data-name" in e.attrs]
    assert apart == 2 * [readable(name) for name in expected["slow_hosts_apart"]], \
        f"the page lists {apart} apart from the slow hosts, the JSON output {expected['slow_hosts_apart']}"


def check_tables(root, expected):
    tables = [e for e in root.walk() if e.tag == "table"]
    rows = [len([row for row in table.walk() if row.tag == "tr"]) - 1 for table in tables]
    wanted = [len(expected["groups"])] + ([len(expected["hosts"])] if expected["fleet"] else [])
    assert rows == wanted, f"the tables have {rows} rows, the comparison {wanted}"
    lists = [e for e in root.walk() if e.tag == "ul" and "excluded" in e.attrs.get("class", "").split()]
    listed = [item.text() for excluded in lists for item in excluded.children]
    wanted = [readable(source) for source in expected["excluded"]]
    assert len(listed) == len(wanted) and all(item.startswith(source + ":") for item, source in zip(listed, wanted)), \
        f"the page lists {listed} as left out, the JSON output {wanted}"


def straight_scale(points, what):
    """Fits pixel = a + b x value through (value, pixel) points and checks
    that every point lies on it; returns the fit."""
    values = numpy.array([value for value, _ in points])
    pixels = numpy.array([pixel for _, pixel in points])
    slope, intercept = numpy.polyfit(values, pixels, 1)
    worst = float(numpy.max(numpy.abs(intercept + slope * values - pixels)))
    assert slope > 0, f"{what}: higher rates lie to the left"
    assert worst <= PIXEL_TOLERANCE, f"{what}: a mark lies {worst:.2f} px off the chart's scale"
    return intercept, slope


def centre(element):
    left, right, _, _ = element.box()
    return (left + right) / 2


def ticks(element, axis=None):
    """(figure, pixel) of each grid line of an axis inside element."""
    groups = [g for g in element.walk() if g.tag == "g" and (axis is None or g.attrs.get("data-axis") == axis)]
    return [(float(line.attrs["data-tick"]), centre(line)) for g in groups for line in g.walk()
            if "data-tick" in line.attrs]


def check_group_geometry(root):
    """The bars start at zero and end where the axis's ticks put their
    rates, so that a bar twice as long stands for a rate twice as high; the
    zoomed panel's marks lie on its own axis."""
    bars = marks(root, "bar")
    if not bars:
        return 0
    chart = next(e for e in root.walk() if e.tag == "svg" and "groups" in e.attrs.get("class", ""))
    bar_axis = ticks(chart, "bars")
    intercept, slope = straight_scale(bar_axis, "the bars' axis")
    zero = intercept
    for bar in bars:
        left, right = bar.box()[:2]
        value = float(bar.attrs["data-value"])
        assert abs(left - zero) <= PIXEL_TOLERANCE, f"the bar of {bar.attrs['data-name']!r} starts at {left}, not 0"
        assert abs((right - left) - slope * value) <= PIXEL_TOLERANCE, \
            f"the bar of {bar.attrs['data-name']!r} is {right - left:.2f} px long, not {slope * value:.2f}"
    points = ticks(chart, "zoom")
    points += [(float(m.attrs["data-value"]), centre(m)) for kind in ("record", "median", "base-line")
               for m in marks(root, kind)]
    for interval in marks(root, "interval"):
        low, high = (float(figure) for figure in interval.attrs["data-value"].split())
        points += [(low, interval.box()[0]), (high, interval.box()[1])]
    straight_scale(points, "the groups' zoomed panel")
    return len(points) + len(bars) + check_axes_apart(chart)


def check_axes_apart(chart):
    """The bars' axis and the zoomed one read as two: each panel in its own
    frame, its ticks' figures under that frame and clear of each other, the
    frames well apart, and the zoomed axis labelled so."""
    frames = {e.attrs["data-panel"]: e.box() for e in chart.walk() if "panel-frame" in e.attrs.get("class", "")}
    assert set(frames) == {"bars", "zoom"}, f"the groups' chart frames the panels {sorted(frames)}"
    gap = frames["zoom"][0] - frames["bars"][1]
    assert gap >= 24, f"the groups' two panels are {gap:.1f} px apart"
    figures = []
    for axis in (g for g in chart.walk() if g.tag == "g" and "data-axis" in g.attrs):
        left, right = frames[axis.attrs["data-axis"]][:2]
        for label in (e for e in axis.walk() if e.tag == "text"):
            box = label.box()
            assert left - PIXEL_TOLERANCE <= box[0] and box[1] <= right + PIXEL_TOLERANCE, \
                f"the figure {label.text()!r} of the {axis.attrs['data-axis']} axis lies outside its panel"
            figures.append(box)
    for k, first in enumerate(figures):
        assert not [second for second in figures[k + 1:] if overlapping(first, second)], "two axis figures overlap"
    captions = {e.attrs["data-panel"]: e.text() for e in chart.walk() if "axis-caption" in e.attrs.get("class", "")}
    assert "zoomed" in captions.get("zoom", ""), f"the zoomed axis is labelled {captions.get('zoom')!r}"
    return len(figures)


def overlapping(first, second):
    return (first[0] < second[1] - 0.5 and second[0] < first[1] - 0.5 and
            first[2] < second[3] - 0.5 and second[2] < first[3] - 0.5)


def check_fleet_geometry(root):
    checked = 0
    for chart in (e for e in root.walk() if e.tag == "svg" and "stratum" in e.attrs.get("class", "")):
        stratum = chart.attrs["data-stratum"]
        inside = list(chart.walk())
        hosts = [e for e in inside if e.attrs.get("data-kind") == "host"]
        points = ticks(chart) + [(float(h.attrs["data-value"]), centre(h)) for h in hosts]
        points += [(float(m.attrs["data-value"]), centre(m)) for m in inside
                   if m.attrs.get("data-kind") == "stratum-median"]
        bands = [e for e in inside if e.attrs.get("data-kind") == "slow-band"]
        points += [(float(band.attrs["data-value"]), band.box()[1]) for band in bands]
        straight_scale(points, f"the chart of {stratum!r}")
        chart_left, chart_right = chart.box()[:2]
        for host in hosts:
            left, right = host.box()[:2]
            assert chart_left <= left and right <= chart_right, f"host {host.attrs['data-name']!r} lies off its chart"
            if host.attrs["data-verdict"] == "slow":
                assert centre(host) <= bands[0].box()[1] + PIXEL_TOLERANCE, \
                    f"slow host {host.attrs['data-name']!r} lies outside the slow band"
        labels = [e.box() for e in inside if "host-label" in e.attrs.get("class", "")]
        for k, first in enumerate(labels):
            assert chart_left <= first[0] and first[1] <= chart_right, f"a host's name runs off the chart of {stratum!r}"
            clashes = [second for second in labels[k + 1:] if overlapping(first, second)]
            assert not clashes, f"host names overlap on the chart of {stratum!r}: {first} and {clashes[0]}"
        checked += len(points) + len(labels)
    return checked


def check_screenshot(png, measured_root, expected):
    image = png_pixels.read_png(png)
    assert image.shape[:2] == (WINDOW[1], WINDOW[0]), f"the screenshot is {image.shape[1]}x{image.shape[0]}"
    flat = image.reshape(-1, 3)
    inked = float(numpy.mean(numpy.any(flat < 245, axis=1)))
    colours = len(numpy.unique(flat, axis=0))
    assert inked > 0.03 and colours > 50, f"the screenshot looks blank: {inked:.1%} inked, {colours} colours"
    seen = {}
    for element in measured_root.walk():
        kind = element.attrs.get("data-kind")
        if kind not in ("bar", "host"):
            continue
        standing = element.attrs.get("data-verdict") if kind == "host" else element.attrs["class"].split()[1]
        if standing not in COLOURS:
            continue
        left, right, top, bottom = element.box()
        x, y = int((left + right) / 2), int((top + bottom) / 2)
        if not (0 <= x < WINDOW[0] and 0 <= y < WINDOW[1]):
            continue
        pixel = tuple(int(channel) for channel in image[y, x])
        assert all(abs(a - b) <= 2 for a, b in zip(pixel, COLOURS[standing])), \
            f"the {standing} {kind} of {element.attrs['data-name']!r} is {pixel} on screen, not {COLOURS[standing]}"
        seen[standing] = seen.get(standing, 0) + 1
    wanted = {"slow", "fast"} if expected["fleet"] else {"base", "faster", "slower"}
    assert wanted <= set(seen), f"the screenshot shows no {sorted(wanted - set(seen))} mark to check"
    return seen, inked


# --- the pages -------------------------------------------------------------

class Compare:
    def __init__(self, program, subcommand):
        self.command = [program] + ([subcommand] if subcommand else [])

    def __call__(self, *arguments):
        done = subprocess.run(self.command + [str(a) for a in arguments], capture_output=True)
        if done.returncode not in (0, 4):
            raise AssertionError(f"{' '.join(self.command)} exited {done.returncode}: "
                                 f"{done.stderr.decode(errors='replace')[-1500:]}")
        return done.stdout


def experiment_records(work):
    """One host under five labels; the last, with three runs, in a file whose
    name is not UTF-8, beside a copy of one of them and a run whose
    self-check failed."""
    records = work / "experiment"
    shutil.rmtree(records, ignore_errors=True)
    labels = [("baseline", 0.0), ("gcc-13 -O3", 6.0), ("C-states off", -0.3), (HOSTILE_LABEL, -4.0)]
    made, _ = synthetic_records.make_records(synthetic_records.Plan(hosts=["bench-01"], labels=labels, runs=8,
                                                                    noise=1.0, warned=0.1, seed=3))
    synthetic_records.write_records(made, records, one_file=True)
    few, _ = synthetic_records.make_records(synthetic_records.Plan(hosts=["bench-01"], labels=[("few runs", 2.0)],
                                                                   runs=3, noise=1.0, seed=4))
    # The last run given twice, as when a file is named twice, and a run whose
    # self-check failed: both are left out, and the page lists them.
    failed = dict(few[0][1], counts=None, passes=[], comparison=None, warnings=[], exit_status=3,
                  self_check={"passed": False, "mismatch": {"value": "E1[1]", "got": "-0.1", "expected": "1"}})
    text = "".join(json.dumps(record, indent=2, ensure_ascii=False) + "\n"
                   for record in [record for _, record in few] + [few[-1][1], failed])
    with open(os.path.join(os.fsencode(records), HOSTILE_FILE), "wb") as f:
        f.write(text.encode("utf-8"))
    return records


def fleet_records(work, hosts=2500, slow=24, fast=3, name="fleet", hostile=True):
    """A fleet in three large strata and one too small to judge, runs in two
    copies, a few hosts' names hostile."""
    records = work / name
    shutil.rmtree(records, ignore_errors=True)
    names = [f"node-{k:04d}" for k in range(1, hosts + 1)]
    for k, hostile_name in enumerate(HOSTILE_NAMES if hostile else []):
        names[7 + 301 * k] = hostile_name
    processors = [("Intel(R) Xeon(R) Gold 6230 CPU @ 2.10GHz", 13000.0), ("AMD EPYC 7763 64-Core Processor", 15500.0),
                  ("Intel(R) Xeon(R) Platinum 8380 CPU @ 2.30GHz", 17200.0)]
    made, truth = synthetic_records.make_records(synthetic_records.Plan(
        hosts=names, processors=processors, slow=slow, fast=fast, warned=0.03, copies=2, seed=11))
    if hostile:
        # A slow host's name too long for its label, and markup in it.
        renamed = truth["slow_hosts"][0]
        long_name = "slow-" + "\u00e4<b>" * 30
        for host, record in made:
            if host == renamed:
                record["machine"]["host_name"] = long_name
        made = [(long_name if host == renamed else host, record) for host, record in made]
    small, _ = synthetic_records.make_records(synthetic_records.Plan(
        hosts=[f"arm-{k}" for k in range(1, 4)], processors=[("Ampere Altra Q80-30", 9000.0)], copies=2, seed=12))
    synthetic_records.write_records(made + small, records)
    return records, truth


def check_page(name, page_path, comparison, work):
    """Every check on one page; returns what it measured."""
    expected = expectations(comparison)
    net_log = work / f"{name}-net.json"
    began = time.monotonic()
    dom = parse_dom(chromium.dump_dom(page_path, WINDOW, net_log=net_log))
    check_elements_and_policy(dom)
    check_marks_have_titles(dom)
    check_group_marks(dom, expected)
    if expected["fleet"]:
        check_host_marks(dom, expected)
    check_tables(dom, expected)
    requests = chromium.page_requests(net_log)
    assert not requests, f"the page made requests: {requests[:5]}"
    say(f"{name}: the DOM matches the JSON output, and the page requested nothing")

    page = page_path.read_text(encoding="utf-8")
    digest = base64.b64encode(hashlib.sha256(MEASURING_SCRIPT.encode()).digest()).decode()
    measuring = re.sub(r'(http-equiv="Content-Security-Policy" content=")([^"]*)"',
                       lambda found: f"{found.group(1)}{found.group(2)}; script-src 'sha256-{digest}'\"", page, count=1)
    measuring = measuring.replace("</body>", f"<script>{MEASURING_SCRIPT}</script></body>")
    measuring_path = work / f"{name}-measuring.html"
    measuring_path.write_text(measuring, encoding="utf-8")
    measured = parse_dom(chromium.dump_dom(measuring_path, WINDOW))
    assert measured.children and measured.children[0].attrs.get("data-measured") == "yes", \
        "the measuring script did not run"
    checked = check_group_geometry(measured) + check_fleet_geometry(measured)
    say(f"{name}: {checked} marks and names lie where their figures put them")

    png = work / f"{name}.png"
    chromium.screenshot(page_path, png, WINDOW)
    seen, inked = check_screenshot(png, measured, expected)
    say(f"{name}: the screenshot is {inked:.0%} inked, and has the right colour at {seen}")
    return time.monotonic() - began


def check_policy_holds(page_path, work):
    """The page's policy refuses a script and an image from elsewhere; the
    same page without it runs and loads them, and the net log shows it."""
    page = page_path.read_text(encoding="utf-8")
    probed = work / "probe.html"
    probed.write_text(page.replace("</body>", PROBE + "</body>"), encoding="utf-8")
    probed_log = work / "probe-net.json"
    dom = parse_dom(chromium.dump_dom(probed, WINDOW, net_log=probed_log, budget_ms=2000))
    assert "data-script-ran" not in dom.children[0].attrs, "a script added to the page ran despite its policy"
    assert not [url for url, _ in chromium.page_requests(probed_log) if "megawhets.invalid" in url], \
        "an image added to the page was requested despite its policy"
    control = work / "control.html"
    control.write_text(re.sub(r'<meta http-equiv="Content-Security-Policy"[^>]*>', "", page, count=1)
                       .replace("</body>", PROBE + "</body>"), encoding="utf-8")
    control_log = work / "control-net.json"
    dom = parse_dom(chromium.dump_dom(control, WINDOW, net_log=control_log, budget_ms=2000))
    assert dom.children[0].attrs.get("data-script-ran") == "yes", "without its policy, the added script did not run"
    assert [url for url, _ in chromium.page_requests(control_log) if "megawhets.invalid" in url], \
        "without its policy, the added image's request is not in the net log: the check of requests sees nothing"
    say("the page's policy refuses an added script and image; without it, both run and the net log shows them")


def run_browser_test(args):
    work = chromium.work_folder(args.work)
    compare = Compare(args.program, args.subcommand)
    began = time.monotonic()

    records = experiment_records(work)
    comparison = json.loads(compare("--format", "json", records))
    compare("--html", work / "experiment.html", records)
    say(f"experiment: {sum(g['records'] for g in comparison['groups'])} records in "
        f"{len(comparison['groups'])} groups, {len(comparison['excluded'])} left out")
    assert len(comparison["excluded"]) == 2, f"the failed and the repeated run are not both left out: {comparison['excluded']}"
    seconds = check_page("experiment", work / "experiment.html", comparison, work)
    say(f"experiment: checked in chromium in {seconds:.1f} s")

    records, truth = fleet_records(work)
    comparison = json.loads(compare("--fleet", "--format", "json", records))
    compare("--fleet", "--html", work / "fleet.html", records)
    size = (work / "fleet.html").stat().st_size
    say(f"fleet: {len(comparison['hosts'])} hosts, {len(comparison['slow_hosts'])} slow "
        f"({len(truth['slow_hosts'])} made slow), a page of {size / 1e6:.1f} MB")
    seconds = check_page("fleet", work / "fleet.html", comparison, work)
    say(f"fleet: checked in chromium in {seconds:.1f} s")

    # A fleet small enough for the groups' chart, whose groups are its hosts.
    records, truth = fleet_records(work, hosts=15, slow=1, fast=1, name="small-fleet", hostile=False)
    comparison = json.loads(compare("--fleet", "--format", "json", records))
    compare("--fleet", "--html", work / "small-fleet.html", records)
    seconds = check_page("small fleet", work / "small-fleet.html", comparison, work)
    say(f"small fleet: {len(comparison['groups'])} groups charted, each with its host's verdict; checked in "
        f"{seconds:.1f} s")

    # The policy is the same on every page: the smaller one loads faster.
    check_policy_holds(work / "experiment.html", work)
    say(f"all checks took {time.monotonic() - began:.1f} s")


def write_documentation_screenshot(args):
    work = chromium.work_folder(args.work)
    records, _ = fleet_records(work, hosts=240, slow=4, fast=1, name="documentation-fleet", hostile=False)
    page = work / "documentation-fleet.html"
    Compare(args.program, args.subcommand)("--fleet", "--html", page, records)
    chromium.screenshot(page, args.screenshot_to, (1000, 1060))
    say(f"wrote {args.screenshot_to}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--subcommand", default="", help="its subcommand, such as compare")
    return chromium.page_test_main(parser, run_browser_test, write_documentation_screenshot)

if __name__ == "__main__":
    sys.exit(main())
