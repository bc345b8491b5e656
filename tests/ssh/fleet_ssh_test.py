#!/usr/bin/env python3
"""examples/fleet-ssh.sh against two sshd of the test's own on 127.0.0.1,
and a third "host" whose port refuses: a record from each of the two, run
at the same time, the refusing host named and left out, and every sshd
stopped afterwards.

    fleet_ssh_test.py --program PATH --schema PATH --work DIR [--compare]
    fleet_ssh_test.py --usage

With --compare, the comparison's verdict is checked too. With --usage, only
what the script says of its own usage, which needs no sshd. Exits 0 when the
test passes, 77 (skipped, with the reason printed) when sshd cannot run
here, 1 when it fails.
"""
import argparse
import os
import pwd
import shutil
import subprocess
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent))
from script_test_support import checked_record, run_case, say  # noqa: E402
from sshd_instance import SshdInstance, free_port, make_key  # noqa: E402

SCRIPT = Path(__file__).resolve().parent.parent.parent / "examples" / "fleet-ssh.sh"
# Both runs take about 3 s; this only stops a hang.
SCRIPT_SECONDS = 300
HOSTS = ("alpha", "beta")

# Stamps when the remote run starts and ends, in a file named for the port
# of the sshd it came through (the last word of SSH_CONNECTION).
STAMPING_WRAPPER = """#!/bin/sh
port=${{SSH_CONNECTION##* }}
date +%s.%N >"{stamps}/$port.start"
"{program}" "$@"
status=$?
date +%s.%N >"{stamps}/$port.end"
exit $status
"""


def client_config(work, servers, refusing_port):
    user = pwd.getpwuid(os.getuid()).pw_name
    hosts = [(server.name, server.port) for server in servers] + [("refusing", refusing_port)]
    blocks = [f"Host {name}\n  Port {port}\n" for name, port in hosts]
    (work / "known_hosts").write_text("".join(s.known_hosts_line() + "\n" for s in servers))
    config = work / "ssh_config"
    config.write_text("".join(blocks) + f"""Host *
  HostName 127.0.0.1
  User {user}
  IdentityFile {work}/user_key
  IdentitiesOnly yes
  IdentityAgent none
  UserKnownHostsFile {work}/known_hosts
  GlobalKnownHostsFile /dev/null
  StrictHostKeyChecking yes
  LogLevel ERROR
""")
    return config


def session_processes(ports):
    """Processes still running in a session of one of these sshd."""
    endings = tuple(f" {port}".encode() for port in ports)
    found = []
    for entry in filter(str.isdigit, os.listdir("/proc")):
        try:
            environment = Path(f"/proc/{entry}/environ").read_bytes().split(b"\0")
        except OSError:
            continue
        if any(v.startswith(b"SSH_CONNECTION=") and v.endswith(endings) for v in environment):
            found.append(int(entry))
    return found


def check_runs_overlapped(stamps, servers):
    times = {}
    for server in servers:
        try:
            times[server.name] = [float((stamps / f"{server.port}.{end}").read_text()) for end in ("start", "end")]
        except OSError:
            raise AssertionError(f"{server.name}'s run left no start and end stamps") from None
    latest_start = max(start for start, _ in times.values())
    earliest_end = min(end for _, end in times.values())
    assert latest_start < earliest_end, f"the runs did not overlap: {times}"
    say(f"the runs overlapped for {earliest_end - latest_start:.1f} s")


def check_verdict(records, schema, printed):
    """The comparison's last line names slow hosts among those compared."""
    compared = {checked_record(path, schema)["machine"]["host_name"] for path in records.glob("*.json")}
    verdict = (records / "verdict.txt").read_text()
    assert verdict and verdict in printed, "the comparison's verdict was not printed"
    slow = [host for host in verdict.splitlines()[-1].split(",") if host]
    assert set(slow) <= compared, f"the verdict names {slow}, not among the hosts compared, {compared}"
    say(f"slow: {slow or 'none'}")


def fleet_ssh_gathers_records(args):
    work = args.work
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    user_key = " ".join(make_key(work / "user_key"))
    stamps = work / "stamps"
    stamps.mkdir()
    wrapper = work / "stamping-megawhets"
    wrapper.write_text(STAMPING_WRAPPER.format(stamps=stamps, program=args.program))
    wrapper.chmod(0o755)

    servers = []
    try:
        for name in HOSTS:
            servers.append(SshdInstance(name, work, user_key))
        say(f"sshd {', '.join(f'{s.name} on port {s.port}' for s in servers)}")
        config = client_config(work, servers, free_port())
        records = work / "records"
        command = [str(SCRIPT), "-F", str(config), "-d", str(records), "-a", "2", "-m", str(wrapper),
                   "-c", args.program, *HOSTS, "refusing"]
        say(*command)
        done = subprocess.run(command, stdin=subprocess.DEVNULL, capture_output=True, timeout=SCRIPT_SECONDS)
        printed = done.stdout.decode("latin-1")
        errors = done.stderr.decode("latin-1")
        print(printed + errors, end="")
    finally:
        for server in servers:
            server.stop()

    assert done.returncode == 1, f"fleet-ssh.sh exited {done.returncode}, not 1 for a host left out"
    found = sorted(path.name for path in records.glob("*.json"))
    assert found == [f"{name}.json" for name in HOSTS], f"records: {found}"
    for path in records.glob("*.json"):
        checked_record(path, args.schema)
    assert "fleet-ssh: refusing left out: did not answer" in errors, "the refusing host was not named"
    assert (records / "refusing.json.left-out").exists(), "the refusing host's output was not set aside"
    check_runs_overlapped(stamps, servers)
    if args.compare:
        check_verdict(records, args.schema, printed)

    for server in servers:
        assert server.stopped(), f"sshd {server.name} (process {server.process.pid}) is still there"
    left = session_processes([server.port for server in servers])
    assert not left, f"processes of the ssh sessions are still running: {left}"
    say("every sshd started is stopped, and no session is left")


def usage_is_shown():
    """--help and -h show the script's header and exit 0; a bad option or no
    host is named, with the usage, and exits 2."""
    def script(*words):
        return subprocess.run([str(SCRIPT), *words], stdin=subprocess.DEVNULL, capture_output=True, text=True,
                              timeout=SCRIPT_SECONDS)
    for asking in ("--help", "-h"):
        done = script(asking)
        assert (done.returncode, done.stderr) == (0, ""), f"{asking}: exited {done.returncode}: {done.stderr}"
        assert done.stdout.startswith("Which hosts are slow?") and "-h, --help" in done.stdout, done.stdout
    for words, complaint in ((["--bogus", "node01"], "fleet-ssh: unknown option '--bogus'"),
                             (["-x", "node01"], "fleet-ssh: unknown option -x"),
                             (["-d"], "fleet-ssh: option -d needs a value"),
                             ([], "fleet-ssh: name at least one HOST")):
        done = script(*words)
        assert done.returncode == 2 and done.stderr.startswith(complaint + "\nusage: fleet-ssh.sh "), \
            f"{words}: exited {done.returncode}: {done.stderr}"
    say("--help and -h show the usage; bad usage is named, with status 2")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    if "--usage" in sys.argv[1:]:
        return run_case(usage_is_shown)
    parser.add_argument("--program", required=True)
    parser.add_argument("--schema", required=True)
    parser.add_argument("--work", required=True, type=Path, help="a folder of its own, emptied first")
    parser.add_argument("--compare", action="store_true", help="check the comparison's verdict too")
    args = parser.parse_args()
    args.program = os.path.realpath(args.program)
    args.work = args.work.resolve()
    return run_case(lambda: fleet_ssh_gathers_records(args))


if __name__ == "__main__":
    sys.exit(main())
