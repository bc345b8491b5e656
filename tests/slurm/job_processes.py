"""The processes of one program that a Slurm job started, told apart from
every other run on the machine by the job id Slurm put in their
environment."""
import os
from pathlib import Path


def _fields(pid):
    """The fields of /proc/PID/stat after the command name, which may hold
    spaces: [0] is the state, [19] the start time."""
    stat = Path(f"/proc/{pid}/stat").read_text()
    return stat[stat.rindex(")") + 2:].split()


def _belongs(pid, program, job_id):
    try:
        if os.path.realpath(f"/proc/{pid}/exe") != program:
            return False
        environment = Path(f"/proc/{pid}/environ").read_bytes().split(b"\0")
    except OSError:
        return False  # ended, or not ours to read
    return f"SLURM_JOB_ID={job_id}".encode() in environment


def job_processes(program, job_id):
    """{pid: start time} of the running processes of program in the job."""
    program = os.path.realpath(program)
    found = {}
    for entry in os.listdir("/proc"):
        if entry.isdigit() and _belongs(entry, program, job_id):
            try:
                found[int(entry)] = _fields(entry)[19]
            except (OSError, ValueError):
                pass
    return found


def still_running(processes):
    """Those of processes ({pid: start time}) that have not ended. A zombie
    has ended: only its parent's wait is missing, and a copy whose parent died
    first waits for the machine's init to reap it."""
    running = []
    for pid, started in processes.items():
        try:
            fields = _fields(pid)
        except OSError:
            continue
        if fields[19] == started and fields[0] != "Z":
            running.append(pid)
    return running
