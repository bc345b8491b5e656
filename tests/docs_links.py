#!/usr/bin/env python3
"""Checks that every relative link in README.md and docs/ leads somewhere: to
a file or folder of the source tree and, where it names a #fragment of a
Markdown file, to one of that file's headings, slugged as the forge slugs
them. Also checks that every page under docs/ links back to the README, and
that each page's Markdown renders as written: every code fence is closed by
a line of its own, and every table has a delimiter row and as many cells in
each row as in its header.

    docs_links.py SOURCE_DIR

Exits 0 when every link resolves and every page is well formed; otherwise
names each fault, by file and line, and exits 1.
"""
import pathlib
import re
import sys
import urllib.parse

FENCE = re.compile(r"^ {0,3}(`{3,}|~{3,})")
CODE_SPAN = re.compile(r"(`+)(.+?)\1")
INLINE_LINK = re.compile(r"!?\[[^\]]*\]\(\s*<?([^)\s>]*)>?(?:\s+\"[^\"]*\")?\s*\)")
REFERENCE_DEFINITION = re.compile(r"^ {0,3}\[[^\]]+\]:\s*<?(\S+?)>?(?:\s+\"[^\"]*\")?\s*$")
HEADING = re.compile(r"^ {0,3}(#{1,6})\s+(.*?)(?:\s+#+)?\s*$")
SCHEME = re.compile(r"^[A-Za-z][A-Za-z0-9+.-]*:")


def prose_lines(path, faults=None):
    """(line number, text) of each line outside fenced code blocks. A fence
    is closed only by a line of its marks alone: text after them, as in
    "``` If the", leaves the fence open, and the rest of the page renders as
    code. Such lines, and a fence never closed, are added to faults."""
    fence = None
    for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), start=1):
        opening = FENCE.match(line)
        if fence is None and opening:
            fence = opening.group(1)[0] * len(opening.group(1))
            opened_at = number
        elif fence is not None and FENCE.match(line) and line.lstrip().startswith(fence):
            if not line.strip(fence[0] + " "):
                fence = None
            elif faults is not None:
                faults.append((number, "has text after a code fence's marks, which leaves the fence open"))
        elif fence is None:
            yield number, line
    if fence is not None and faults is not None:
        faults.append((opened_at, "opens a code fence that no line closes, so the rest of the page is code"))


def table_cells(line):
    """The cells of a table row: split at each pipe that is not escaped, the
    outer pipes dropped."""
    cells = re.split(r"(?<!\\)\|", line.strip())
    if cells and cells[0] == "":
        cells = cells[1:]
    if cells and cells[-1] == "":
        cells = cells[:-1]
    return [cell.strip() for cell in cells]


DELIMITER_CELL = re.compile(r"^:?-+:?$")


def table_faults(rows):
    """What is wrong with a table, given as (line number, text) of each of
    its rows: a table needs a delimiter row under its header, and each row as
    many cells as the header."""
    (first, header), rest = rows[0], rows[1:]
    width = len(table_cells(header))
    if not rest or not all(DELIMITER_CELL.match(cell) for cell in table_cells(rest[0][1])):
        return [(first, "starts a table with no delimiter row (|---|) under its header, so it renders as text")]
    faults = []
    for number, row in rest:
        cells = len(table_cells(row))
        if cells != width:
            faults.append((number, f"is a table row of {cells} cells under a header of {width}"))
    return faults


def markdown_faults(path):
    """(line number, fault) of each fence or table that does not render as
    written."""
    faults = []
    table = []
    for number, line in list(prose_lines(path, faults)) + [(None, "")]:
        if line.lstrip().startswith("|") and (not table or table[-1][0] == number - 1):
            table.append((number, line))
            continue
        if table:
            faults.extend(table_faults(table))
        table = [(number, line)] if line.lstrip().startswith("|") else []
    return sorted(faults)


def link_targets(path):
    """(line number, target) of each link and reference definition."""
    for number, line in prose_lines(path):
        definition = REFERENCE_DEFINITION.match(line)
        if definition:
            yield number, definition.group(1)
            continue
        # A link that starts inside a code span is shown, not made.
        spans = [span.span() for span in CODE_SPAN.finditer(line)]
        for link in INLINE_LINK.finditer(line):
            if not any(start <= link.start() < end for start, end in spans):
                yield number, link.group(1)


def heading_text(raw):
    """A heading's text as the reader sees it: no code marks, emphasis,
    HTML tags, or link syntax around a link's text."""
    text = re.sub(r"!?\[([^\]]*)\]\([^)]*\)", r"\1", raw)
    text = re.sub(r"<[^>]+>", "", text)
    return text.replace("`", "").replace("*", "")


def slug(text):
    """Lower case, punctuation dropped, each space a hyphen."""
    return re.sub(r"[^\w\- ]", "", text.lower()).replace(" ", "-")


def anchors(path):
    """Every heading's slug in `path`, a repeated one numbered as the forge
    numbers it: slug, slug-1, slug-2, ..."""
    seen = {}
    found = set()
    for _, line in prose_lines(path):
        heading = HEADING.match(line)
        if not heading:
            continue
        base = slug(heading_text(heading.group(2)))
        anchor = base if base not in seen else f"{base}-{seen[base]}"
        seen[base] = seen.get(base, 0) + 1
        found.add(anchor)
    return found


def target_fault(root, page, target, anchor_cache):
    """Why `target`, linked from `page`, does not resolve; None when it does."""
    if target.startswith("/"):
        return "is not relative, so it breaks in a checkout or on a forge"
    where, _, fragment = target.partition("#")
    linked = (page.parent / urllib.parse.unquote(where)).resolve() if where else page
    if root != linked and root not in linked.parents:
        return "leads out of the source tree"
    if not linked.exists():
        return f"names {linked.relative_to(root)}, which does not exist"
    if not fragment:
        return None
    if linked.suffix != ".md":
        return f"has a fragment, but {linked.relative_to(root)} has no headings to match it"
    if linked not in anchor_cache:
        anchor_cache[linked] = anchors(linked)
    if urllib.parse.unquote(fragment) not in anchor_cache[linked]:
        known = ", ".join(sorted(anchor_cache[linked])) or "none"
        return f"names no heading of {linked.relative_to(root)} (its headings: {known})"
    return None


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    root = pathlib.Path(sys.argv[1]).resolve()
    readme = root / "README.md"
    pages = [readme] + sorted((root / "docs").rglob("*.md"))
    if not readme.is_file():
        sys.exit(f"{readme}: not found")

    faults = []
    anchor_cache = {}
    checked = 0
    for page in pages:
        leads_to_readme = False
        for number, target in link_targets(page):
            if SCHEME.match(target) or target.startswith("//"):
                continue
            checked += 1
            fault = target_fault(root, page, target, anchor_cache)
            if fault:
                faults.append(f"{page.relative_to(root)}:{number}: link '{target}' {fault}")
            elif (page.parent / target.partition("#")[0]).resolve() == readme:
                leads_to_readme = True
        if page != readme and not leads_to_readme:
            faults.append(f"{page.relative_to(root)}: no link back to the README")
        for number, fault in markdown_faults(page):
            faults.append(f"{page.relative_to(root)}:{number}: {fault}")

    for fault in faults:
        print(fault)
    print(f"{checked} relative links in {len(pages)} files; {len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
