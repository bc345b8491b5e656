#!/usr/bin/env python3
"""Lists the tests ctest has just skipped, each with the reason it printed,
where the person running the tests sees it: ctest's own console says only
"***Skipped", and the reasons are in its log. ctest runs this once the tests
have run (CTEST_CUSTOM_POST_TEST, written by tests/skipped_tests.cmake).

    skipped_tests.py TESTING_TEMPORARY_DIR

A test says why it skips in one of two ways: a script prints "SKIPPED:
REASON" and exits 77 (tests/script_test_support.py), and GoogleTest prints
"FILE:LINE: Skipped", the reason, then "[  SKIPPED ] TEST". Prints nothing
when no test skipped, and always exits 0: a summary never fails the run.
"""
import pathlib
import re
import sys

TEST = re.compile(r"^\d+/\d+ Test: (.+)$", re.MULTILINE)
OUTPUT = re.compile(r"\nOutput:\n-+\n(.*?)<end of output>", re.DOTALL)
SCRIPT_REASON = re.compile(r"^SKIPPED: (.*)$", re.MULTILINE)
LOG_NAME = re.compile(r"^LastTest(_[^.]*)?\.log(\.tmp)?$")  # not LastTestsFailed.log
GTEST_REASON = re.compile(r": Skipped\n(.*?)\n*\[  SKIPPED \] ", re.DOTALL)


def newest_log(directory):
    """The log of the run that has just ended: ctest names it LastTest.log
    once it is done, LastTest.log.tmp while it runs (and so while this
    runs), with the date in its name under a dashboard."""
    logs = [path for path in directory.glob("LastTest*") if LOG_NAME.match(path.name)]
    return max(logs, key=lambda path: path.stat().st_mtime, default=None)


def skipped(log_text):
    """(test, reason) of each test whose output says it skipped, in the
    order they ran."""
    names = [(match.end(), match.group(1)) for match in TEST.finditer(log_text)]
    found = []
    for (start, name), following in zip(names, names[1:] + [(len(log_text), None)]):
        output = OUTPUT.search(log_text, start, following[0])
        if not output:
            continue
        text = output.group(1)
        reasons = SCRIPT_REASON.findall(text) + [" ".join(reason.split()) for reason in GTEST_REASON.findall(text)]
        if reasons or "[  SKIPPED ] " in text:
            found.append((name, "; ".join(reason for reason in reasons if reason) or "no reason given"))
    return found


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 0
    log = newest_log(pathlib.Path(sys.argv[1]))
    if log is None:
        return 0
    found = skipped(log.read_text(encoding="utf-8", errors="replace"))
    if found:
        print("\nSkipped tests, and why:")
        for name, reason in found:
            print(f"  {name}: {reason}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
