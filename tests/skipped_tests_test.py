#!/usr/bin/env python3
"""The list of skipped tests and their reasons, as ctest prints it after
the tests: a scratch project with tests/skipped_tests.cmake, one test that
skips as the scripts do, one as GoogleTest does, one that passes, and one
that passes although a case inside it skipped, as a GoogleTest program run
whole does.

    skipped_tests_test.py --cmake CMAKE --ctest CTEST --work DIR

Exits 0 when ctest's own output lists both skips with their reasons and
nothing else, and ctest's log still holds every test's output; otherwise
says what it printed, and exits 1.
"""
import argparse
import pathlib
import shutil
import subprocess
import sys

HERE = pathlib.Path(__file__).resolve().parent

PROJECT = """cmake_minimum_required(VERSION 3.25)
project(skips NONE)
enable_testing()
include([==[{module}]==])
megawhets_list_skipped_tests([==[{python}]==])
add_test(NAME script_skip COMMAND [==[{python}]==] script_skip.py)
set_tests_properties(script_skip PROPERTIES SKIP_RETURN_CODE 77 WORKING_DIRECTORY [==[{work}]==])
add_test(NAME gtest_skip COMMAND [==[{python}]==] gtest_skip.py)
set_tests_properties(gtest_skip PROPERTIES SKIP_REGULAR_EXPRESSION "\\\\[  SKIPPED \\\\]"
                     WORKING_DIRECTORY [==[{work}]==])
add_test(NAME passes COMMAND [==[{python}]==] -c "print('fine')")
add_test(NAME passes_with_a_case_skipped COMMAND [==[{python}]==] gtest_skip.py)
set_tests_properties(passes_with_a_case_skipped PROPERTIES WORKING_DIRECTORY [==[{work}]==])
"""
SCRIPT_SKIP = "print('SKIPPED: no cluster answers here')\nraise SystemExit(77)\n"
GTEST_SKIP = ("print('[ RUN      ] Suite.Case')\nprint('case.cpp:12: Skipped')\n"
              "print('no terminal for this program')\nprint()\nprint('[  SKIPPED ] Suite.Case (0 ms)')\n")
EXPECTED = ["Skipped tests, and why:", "  script_skip: no cluster answers here",
            "  gtest_skip: no terminal for this program"]


def main():
    parser = argparse.ArgumentParser()
    for option in ("--cmake", "--ctest", "--work"):
        parser.add_argument(option, required=True)
    args = parser.parse_args()
    work = pathlib.Path(args.work)
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    (work / "CMakeLists.txt").write_text(PROJECT.format(module=HERE / "skipped_tests.cmake", python=sys.executable,
                                                        work=work))
    (work / "script_skip.py").write_text(SCRIPT_SKIP)
    (work / "gtest_skip.py").write_text(GTEST_SKIP)
    # A minute for each is plenty; a hang fails rather than waits for ctest's limit.
    subprocess.run([args.cmake, "-S", work, "-B", work / "build"], check=True, capture_output=True, timeout=60)
    done = subprocess.run([args.ctest, "--test-dir", work / "build", "-j2"], capture_output=True, text=True,
                          timeout=60)
    lines = done.stdout.splitlines()
    listed = lines[lines.index(EXPECTED[0]):] if EXPECTED[0] in lines else []
    listed = [line for line in listed if line.startswith("  ") or line == EXPECTED[0]]
    if done.returncode != 0 or sorted(listed) != sorted(EXPECTED):
        print(done.stdout + done.stderr)
        print(f"FAILED: ctest exited {done.returncode}; the skipped tests it listed: {listed}")
        return 1
    log = (work / "build" / "Testing" / "Temporary" / "LastTest.log").read_text()
    if "no cluster answers here" not in log or "print('fine')" not in log:
        print(f"FAILED: listing the skipped tests cost ctest's log its tests' output:\n{log}")
        return 1
    print("\n".join(listed))
    return 0


if __name__ == "__main__":
    sys.exit(main())
