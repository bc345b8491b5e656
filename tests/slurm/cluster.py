"""The Slurm cluster the tests run on, as its commands show it."""
import os
import re
import subprocess

from script_test_support import Skip, wait_until

# Slurm commands answer in a moment; this only stops a hung controller.
COMMAND_SECONDS = 30
# A job may wait for the processors another test's job holds.
JOB_START_SECONDS = 300


def slurm(*words, check=True):
    """A Slurm command's standard output."""
    done = subprocess.run(words, capture_output=True, text=True, timeout=COMMAND_SECONDS)
    if check and done.returncode != 0:
        raise AssertionError(f"{' '.join(words)} exited {done.returncode}: {done.stderr.strip()}")
    return done.stdout


def require_cluster():
    """Skips the test unless a cluster was named (SLURM_CONF) and answers, so
    that no test ever reaches a cluster it was not pointed at."""
    conf = os.environ.get("SLURM_CONF")
    if not conf:
        raise Skip("SLURM_CONF is not set, so there is no Slurm cluster to run on "
                   "(.ci/slurm-cluster start DIR starts one)")
    try:
        done = subprocess.run(["sinfo", "-h", "-o", "%P %a"], capture_output=True, text=True,
                              timeout=COMMAND_SECONDS)
    except FileNotFoundError:
        raise Skip("sinfo is not installed (apt-get install slurm-client)") from None
    except subprocess.TimeoutExpired:
        raise Skip(f"the cluster of {conf} did not answer sinfo within {COMMAND_SECONDS} s") from None
    if done.returncode != 0:
        raise Skip(f"the cluster of {conf} does not answer: sinfo: {done.stderr.strip()}")


def node_names():
    return set(slurm("sinfo", "-h", "-N", "-o", "%N").split())


def job_fields(job_id):
    """What scontrol show job says of a job (kept an hour after it ends)."""
    text = slurm("scontrol", "show", "job", "-o", str(job_id))
    return dict(re.findall(r"(\S+?)=(\S*)", text))


def job_named(name):
    """The fields of the one job with this name."""
    jobs = [dict(re.findall(r"(\S+?)=(\S*)", line))
            for line in slurm("scontrol", "show", "job", "-o").splitlines()]
    named = [job for job in jobs if job.get("JobName") == name]
    assert len(named) == 1, f"{len(named)} jobs are named {name}"
    return named[0]


def submit(*words):
    """Submits a batch job; its id."""
    return int(slurm("sbatch", "--parsable", *words).strip().split(";")[0])


def await_state(job_id, states, seconds):
    """Waits until the job is in one of states (e.g. CANCELLED), and returns
    its fields."""
    def in_state():
        fields = job_fields(job_id)
        return fields if fields.get("JobState") in states else None
    return wait_until(in_state, seconds, f"job {job_id} to be {' or '.join(states)}")


def await_start(job_id):
    return await_state(job_id, ("RUNNING",), JOB_START_SECONDS)
