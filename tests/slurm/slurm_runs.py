#!/usr/bin/env python3
"""megawhets run by a real Slurm: tasks, processor binding, cancellation,
time limits, exit statuses and the fleet batch script.

    slurm_runs.py --program PATH --schema PATH --work DIR CASE [--host-name]

Exits 0 when the case passes, 77 (skipped, with the reason printed) when no
Slurm cluster answers, 1 when it fails.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent))
from script_test_support import checked_record, run_case, say, wait_until  # noqa: E402
from cluster import (JOB_START_SECONDS, await_state, job_fields, job_named, node_names,  # noqa: E402
                     require_cluster, slurm, submit)
from job_processes import job_processes, still_running  # noqa: E402

EXAMPLES = Path(__file__).resolve().parent.parent.parent / "examples"
# srun returns once its job has run; this stops a hang.
SRUN_SECONDS = JOB_START_SECONDS + 120
# A cancelled program gets KillWait (5 s in .ci/slurm-cluster) to clean up.
END_SECONDS = 120
# Slurm counts time limits in minutes and looks for jobs past theirs every
# 30 s: a one-minute limit ends a job 60 to 90 s after it starts.
TIME_LIMIT_SECONDS = JOB_START_SECONDS + 180
RECORD_BEFORE = b'{"note": "an earlier run\'s record, which an unfinished run leaves alone"}\n'


def srun(*words):
    """srun's exit status, its standard output as bytes (a record) and its
    standard error as text (the report is Latin-1)."""
    say("srun", *words)
    done = subprocess.run(["srun", *words], stdin=subprocess.DEVNULL, capture_output=True, timeout=SRUN_SECONDS)
    done.stderr = done.stderr.decode("latin-1")
    return done


def two_tasks_give_two_records(test):
    """Each task of a two-task step writes its own record, named for its node
    and task by srun's output patterns."""
    done = srun("--ntasks=2", f"--output={test.work}/%N-%t.json", f"--error={test.work}/%N-%t.txt",
                test.program, "--auto=2", "--json", "-")
    assert done.returncode == 0, f"srun exited {done.returncode}: {done.stderr}"
    records = sorted(test.work.glob("*.json"))
    assert len(records) == 2, f"two records expected, found {[r.name for r in records]}"
    nodes = node_names()
    for path in records:
        node = path.stem.rsplit("-", 1)[0]
        assert node in nodes, f"{path.name} is named for {node}, not one of the nodes {nodes}"
        record = checked_record(path, test.schema)
        if test.host_name:
            named = record["machine"].get("host_name")
            assert named == node, f"{path.name} gives the host's name as {named!r}, but it ran on {node}"
        say(f"{path.name}: a valid record" + (f" of host {node}" if test.host_name else ""))


def one_processor_gives_one_copy(test):
    """A task bound to one processor runs one copy for --copies all: Slurm's
    binding is the processor set megawhets reads."""
    done = srun("--ntasks=1", "--cpus-per-task=1", test.program, "--auto=1", "--copies", "all", "--json", "-")
    assert done.returncode == 0, f"srun exited {done.returncode}: {done.stderr}"
    (test.work / "record.json").write_bytes(done.stdout)
    copies = checked_record(test.work / "record.json", test.schema)["copies"]
    assert copies and copies["count"] == 1 and copies["usable_processors"] == 1, \
        f"one copy on one usable processor expected, the record has {copies}"
    say(f"copies: {copies}")


def _unfinished_run(test, auto_seconds, options, job_end):
    """Submits a run of --auto=auto_seconds with --json FILE in two copies,
    with sbatch's options, lets job_end end it during pass 1, and checks that it left FILE as it was, no temporary file
    beside it, and none of its processes; returns the job's fields."""
    record_dir = test.work / "record"
    record_dir.mkdir()
    record_file = record_dir / "run.json"
    record_file.write_bytes(RECORD_BEFORE)
    report = test.work / "report.txt"
    job_id = submit(f"--chdir={test.work}", *options, f"--output={report}",
                    f"--error={test.work}/errors.txt",
                    f"--wrap=exec {test.program} --auto={auto_seconds} --json {record_file} --copies 2")
    say(f"job {job_id} submitted")

    def in_pass_1():
        if report.exists() and "Pass #  1:" in report.read_text(encoding="latin-1"):
            return True
        state = job_fields(job_id).get("JobState")
        assert state in ("PENDING", "RUNNING"), f"job {job_id} became {state} before its pass 1"
        return False
    wait_until(in_pass_1, JOB_START_SECONDS + 60, f"job {job_id} to begin pass 1")
    def run_and_two_copies():
        found = job_processes(test.program, job_id)
        return found if len(found) == 3 else None
    processes = wait_until(run_and_two_copies, 60, f"job {job_id}'s run and its two copies")
    say(f"job {job_id} is in pass 1: processes {sorted(processes)}")

    fields = job_end(job_id)
    wait_until(lambda: not still_running(processes) and not job_processes(test.program, job_id), END_SECONDS,
               f"every megawhets process of job {job_id} to end")
    assert "Pass #  2:" not in report.read_text(encoding="latin-1"), f"job {job_id} was not ended in pass 1"
    assert record_file.read_bytes() == RECORD_BEFORE, f"{record_file} changed: {record_file.read_bytes()!r}"
    left = sorted(p.name for p in record_dir.iterdir())
    assert left == ["run.json"], f"beside the record file: {left}"
    say(f"job {job_id}: JobState={fields['JobState']} ExitCode={fields['ExitCode']}; "
        f"no process left, {record_file.name} unchanged, nothing beside it")
    return fields


def cancel_leaves_the_record_file_alone(test):
    def cancel(job_id):
        slurm("scancel", str(job_id))
        return await_state(job_id, ("CANCELLED",), END_SECONDS)
    # Its probe takes about 4 s, its pass 1 about 20 s.
    _unfinished_run(test, 60, ["--cpus-per-task=2"], cancel)


def time_limit_leaves_the_record_file_alone(test):
    def out_of_time(job_id):
        return await_state(job_id, ("TIMEOUT",), TIME_LIMIT_SECONDS)
    # Its pass 1 runs from about 20 s to 120 s, when the limit strikes. Its
    # copies share one processor, to leave the other to the rest of the
    # suite for that long.
    started = time.monotonic()
    _unfinished_run(test, 300, ["--cpus-per-task=1", "--time=1"], out_of_time)
    say(f"the time limit took {time.monotonic() - started:.0f} s to end the job")


def strict_status_reaches_slurm(test):
    """A --strict run that shares its one processor with a busy loop (the
    task's binding holds both to it) exits 4, and Slurm passes that on."""
    name = f"megawhets-strict-{os.getpid()}-{time.time_ns()}"
    script = (f"(while :; do :; done) & {test.program} --auto=1 --strict; "
              "status=$?; kill $!; exit $status")
    done = srun("--ntasks=1", "--cpus-per-task=1", f"--job-name={name}", "sh", "-c", script)
    print(done.stderr, end="")
    assert done.returncode == 4, f"srun exited {done.returncode}, not 4"
    assert "had the processor for only" in done.stderr, "no warning that the run shared its processor"
    fields = job_named(name)
    assert fields["ExitCode"] == "4:0", f"the job's ExitCode is {fields['ExitCode']}, not 4:0"
    say(f"srun exited 4; job {fields['JobId']}: JobState={fields['JobState']} ExitCode={fields['ExitCode']}")


def _batch_script_job(test, megawhets):
    """Submits examples/fleet.sbatch with MEGAWHETS set to megawhets, waits
    for it to end, checks one record per node, the verdict and the drain
    command, and returns the job's fields and what it printed."""
    records = test.work / "records"
    output = test.work / "job.txt"
    job_id = submit(f"--chdir={test.work}", f"--output={output}",
                    f"--export=ALL,MEGAWHETS={megawhets},FLEET_DIR={records},FLEET_SECONDS=2",
                    str(EXAMPLES / "fleet.sbatch"))
    fields = await_state(job_id, ("COMPLETED", "FAILED", "CANCELLED", "TIMEOUT", "NODE_FAIL", "OUT_OF_MEMORY"),
                         JOB_START_SECONDS + 300)
    printed = output.read_text(encoding="latin-1")
    print(printed, end="")
    nodes = set(slurm("scontrol", "show", "hostnames", fields["NodeList"]).split())
    found = {path.stem for path in records.glob("*.json")}
    assert found == nodes, f"records for {sorted(found)}, but the job ran on {sorted(nodes)}"
    for path in records.glob("*.json"):
        checked_record(path, test.schema)
    slow = [host for host in (records / "verdict.txt").read_text().splitlines()[-1].split(",") if host]
    assert set(slow) <= nodes, f"the verdict names {slow}, not all of them nodes of the job"
    if slow:
        assert f"scontrol update nodename={','.join(slow)} state=drain" in printed, "no drain command printed"
    say(f"job {job_id}: records for {sorted(found)}; slow: {slow or 'none'}; "
        f"JobState={fields['JobState']} ExitCode={fields['ExitCode']}")
    return fields, printed


def _runs_status(printed):
    """The status srun ended the runs with, as the script prints it: 0 when
    it prints none."""
    found = re.search(r"\(srun exited (\d+)\)", printed)
    return int(found.group(1)) if found else 0


def example_batch_script_gives_a_verdict(test):
    """examples/fleet.sbatch as an administrator submits it: one record per
    node, the comparison's verdict, and the drain command for slow nodes. The
    job ends as its runs did: COMPLETED when all of them passed --strict,
    FAILED with their status when one was disturbed, as a busy machine may
    make it."""
    fields, printed = _batch_script_job(test, test.program)
    runs = _runs_status(printed)
    expected = ("COMPLETED", "0:0") if runs == 0 else ("FAILED", f"{runs}:0")
    assert (fields["JobState"], fields["ExitCode"]) == expected, \
        f"the runs ended with status {runs}, but the job is {fields['JobState']} ({fields['ExitCode']})"


# Runs the program, then ends with status 4, as a run --strict found
# disturbed does; the comparison runs as it is.
DISTURBED_RUN = """#!/bin/sh
[ "$1" = compare ] && exec "{program}" "$@"
"{program}" "$@"
exit 4
"""


def example_batch_script_fails_when_a_run_does(test):
    """A run that ends with status 4 (--strict, disturbed) leaves the job
    FAILED with ExitCode 4:0, so that scontrol show job and sacct show the
    check as failed, and still gives the verdict on every record."""
    wrapper = test.work / "disturbed-megawhets"
    wrapper.write_text(DISTURBED_RUN.format(program=test.program))
    wrapper.chmod(0o755)
    fields, printed = _batch_script_job(test, wrapper)
    assert _runs_status(printed) == 4, "the script did not say that srun exited 4"
    assert (fields["JobState"], fields["ExitCode"]) == ("FAILED", "4:0"), \
        f"a run ended with status 4, but the job is {fields['JobState']} ({fields['ExitCode']})"


CASES = {case.__name__: case for case in (
    two_tasks_give_two_records, one_processor_gives_one_copy, cancel_leaves_the_record_file_alone,
    time_limit_leaves_the_record_file_alone, strict_status_reaches_slurm, example_batch_script_gives_a_verdict,
    example_batch_script_fails_when_a_run_does)}


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--program", required=True)
    parser.add_argument("--schema", required=True)
    parser.add_argument("--work", required=True, type=Path, help="a folder of its own, emptied first")
    parser.add_argument("--host-name", action="store_true", help="check each record's machine.host_name too")
    parser.add_argument("case", choices=sorted(CASES))
    test = parser.parse_args()
    test.program = os.path.realpath(test.program)
    test.work = test.work.resolve()

    def case():
        require_cluster()
        shutil.rmtree(test.work, ignore_errors=True)
        test.work.mkdir(parents=True)
        CASES[test.case](test)
    return run_case(case)


if __name__ == "__main__":
    sys.exit(main())
