#!/usr/bin/env python3
"""Lists the tests ctest has just skipped, each with the reason it printed,
where the person running the tests sees it: ctest's own console says only
"***Skipped", and the reasons are in its log. ctest runs this once the tests
have run (CTEST_CUSTOM_POST_TEST, written by tests/skipped_tests.cmake).

    skipped_tests.py CTEST BUILD_DIR

A test says why it skips in one of two ways: a script prints "SKIPPED:
REASON" and exits 77 (tests/script_test_support.py), and GoogleTest prints
"FILE:LINE: Skipped", the reason, then "[  SKIPPED ] TEST". ctest's log
says "Test Passed." of a skipped test too, so which tests ctest skipped is
worked out as ctest does, from each test's SKIP_RETURN_CODE or
SKIP_REGULAR_EXPRESSION: a GoogleTest program run whole as one test may skip
a case of its own and still pass. Prints nothing when no test skipped, and
always exits 0: a summary never fails the run.
"""
import json
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile

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


def skip_rules(ctest, build_dir):
    """{test: (skip regular expressions, whether it has a skip return code)}
    of each test that can be skipped, as ctest lists them. ctest writes its
    log even when it only lists the tests, and runs its post-test commands,
    this one among them, so it lists them from a copy of the build tree's
    test files (which name everything else by its full path) in a folder of
    its own: the log of the run that has just ended stays as it is."""
    with tempfile.TemporaryDirectory() as listing:
        for testfile in build_dir.rglob("CTestTestfile.cmake"):
            copy = pathlib.Path(listing) / testfile.relative_to(build_dir)
            copy.parent.mkdir(parents=True, exist_ok=True)
            shutil.copyfile(testfile, copy)
        try:
            done = subprocess.run([ctest, "--show-only=json-v1"], cwd=listing, capture_output=True, text=True,
                                  check=False, timeout=120)
        except (OSError, subprocess.TimeoutExpired):
            return {}
    if done.returncode != 0:
        return {}
    rules = {}
    for test in json.loads(done.stdout).get("tests", []):
        properties = {item["name"]: item["value"] for item in test.get("properties", [])}
        expressions = properties.get("SKIP_REGULAR_EXPRESSION", [])
        if expressions or "SKIP_RETURN_CODE" in properties:
            rules[test["name"]] = (expressions, "SKIP_RETURN_CODE" in properties)
    return rules


def skipped(log_text, rules):
    """(test, reason) of each test ctest skipped, in the order they ran: its
    output matched a skip expression, or it printed a script's skip line
    with a skip return code."""
    names = [(match.end(), match.group(1)) for match in TEST.finditer(log_text)]
    found = []
    for (start, name), following in zip(names, names[1:] + [(len(log_text), None)]):
        output = OUTPUT.search(log_text, start, following[0])
        if not output or name not in rules:
            continue
        text = output.group(1)
        expressions, skip_return_code = rules[name]
        script_reasons = SCRIPT_REASON.findall(text) if skip_return_code else []
        if not script_reasons and not any(re.search(expression, text) for expression in expressions):
            continue
        reasons = script_reasons + [" ".join(reason.split()) for reason in GTEST_REASON.findall(text)]
        reasons = [reason for reason in dict.fromkeys(reasons) if reason]
        found.append((name, "; ".join(reasons) or "no reason given"))
    return found


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 0
    ctest, build_dir = sys.argv[1], pathlib.Path(sys.argv[2])
    log = newest_log(build_dir / "Testing" / "Temporary")
    if log is None:
        return 0
    found = skipped(log.read_text(encoding="utf-8", errors="replace"), skip_rules(ctest, build_dir))
    if found:
        print("\nSkipped tests, and why:")
        for name, reason in found:
            print(f"  {name}: {reason}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
