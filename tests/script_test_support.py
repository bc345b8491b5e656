"""What the Python tests that drive whole programs share: skipping with a
reason, waiting on a condition, checking records, and every numeric option
driven past its bounds."""
import json
import signal
import time

import jsonschema

# ctest counts a test that exits with this as skipped (SKIP_RETURN_CODE).
SKIPPED = 77


class Skip(Exception):
    """This machine cannot run the test; the message says why."""


def _stopped(signal_number, _frame):
    raise SystemExit(f"stopped by signal {signal_number}")


def run_case(case):
    """Runs one test case and turns its outcome into the exit status ctest
    reads: 0 passed, SKIPPED with the reason printed, 1 failed. A test that
    is stopped (ctest's timeout, a Ctrl-C) still runs its clean-up."""
    for stopping in (signal.SIGTERM, signal.SIGHUP):
        signal.signal(stopping, _stopped)
    try:
        case()
    except Skip as reason:
        print(f"SKIPPED: {reason}")
        return SKIPPED
    except AssertionError as fault:
        print(f"FAILED: {fault}")
        return 1
    print("passed")
    return 0


def wait_until(condition, seconds, what):
    """Polls condition until it returns something true, and returns that.
    The limit only stops a hang, so it is generous; failing it says what
    was awaited."""
    deadline = time.monotonic() + seconds
    while True:
        outcome = condition()
        if outcome:
            return outcome
        if time.monotonic() > deadline:
            raise AssertionError(f"waited {seconds} s for {what}")
        time.sleep(0.2)


def checked_record(path, schema_path):
    """The record in path, once it is found to agree with the schema."""
    with open(schema_path) as f:
        schema = json.load(f)
    with open(path) as f:
        try:
            record = json.load(f)
        except json.JSONDecodeError as error:
            raise AssertionError(f"{path} holds no JSON record: {error}") from None
    try:
        jsonschema.Draft202012Validator(schema).validate(record)
    except jsonschema.ValidationError as error:
        raise AssertionError(f"{path} does not agree with the schema: {error.message}") from None
    return record


_began = time.monotonic()


def say(*words):
    """Progress, with the seconds since the test began, for ctest's log."""
    print(f"[{time.monotonic() - _began:5.1f} s]", *words, flush=True)


# Every number an option takes, at its bounds and past them: refused with
# status 2 and a line naming the option, or taken; never a crash.
CARELESS_NUMBERS = ("0", "-1", "1e-17", "1e-320", "1e309", "inf", "nan", "99999999999999999999999", "-0")


def careless_numbers(checks, numeric_options, *rest):
    """Each numeric option at its bounds and past them: status 2 naming the
    option, or a normal ending; never a signal, never an internal error."""
    for option in numeric_options:
        for value in CARELESS_NUMBERS:
            status, _, err = checks.run(option, value, *rest)
            checks.expect(f"{option} {value}: refused naming the option, or taken; no crash",
                          status in (0, 1, 2, 4) and "internal error" not in err and
                          (status != 2 or f"'{option}" in err or "PROGRAM" in err or "does not exist" in err),
                          f"{status} {err[-300:]!r}")
