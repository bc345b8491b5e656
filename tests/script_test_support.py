"""What the Python tests that drive whole programs (under Slurm, over ssh)
share: skipping with a reason, waiting on a condition, checking records."""
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
