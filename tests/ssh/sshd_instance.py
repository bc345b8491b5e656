"""An sshd of the test's own on 127.0.0.1: its own host key, authorized key
and configuration, on a port that was free, and nothing of the system's
ssh set-up read or changed."""
import ctypes
import os
import shutil
import signal
import socket
import subprocess

from script_test_support import Skip, wait_until

SSHD = "/usr/sbin/sshd"  # sshd insists on being started by its full path
START_SECONDS = 30
STOP_SECONDS = 10


def free_port():
    """A port nothing listens on, as the kernel picked it a moment ago."""
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def accepts(port):
    try:
        socket.create_connection(("127.0.0.1", port), timeout=2).close()
        return True
    except OSError:
        return False


def make_key(path):
    subprocess.run(["ssh-keygen", "-q", "-t", "ed25519", "-N", "", "-C", path.name, "-f", str(path)], check=True)
    return path.with_suffix(".pub").read_text().split()[:2]


def _die_with_the_test():
    """Runs in the child before sshd starts: however the test ends, even by
    SIGKILL, the kernel then stops its sshd."""
    PR_SET_PDEATHSIG = 1
    ctypes.CDLL(None, use_errno=True).prctl(PR_SET_PDEATHSIG, signal.SIGTERM)


def _launch_command(config):
    command = [SSHD, "-D", "-e", "-f", str(config)]
    if os.geteuid() != 0 or os.path.isdir("/run/sshd"):
        return command
    # As root sshd wants /run/sshd, which the system's sshd service makes.
    # Rather than make it, this sshd gets a /run of its own, seen by it alone.
    if not shutil.which("unshare"):
        raise Skip("sshd runs as root only with /run/sshd, which is missing, and unshare is not installed")
    return ["unshare", "--mount", "sh", "-c",
            'mount -t tmpfs -o mode=755 tmpfs /run && mkdir -m 755 /run/sshd && exec "$0" "$@"', *command]


class SshdInstance:
    def __init__(self, name, folder, authorized_key):
        for program in (SSHD, "ssh", "ssh-keygen"):
            if not shutil.which(program):
                raise Skip(f"{program} is not installed (apt-get install openssh-server)")
        self.name = name
        self.port = free_port()
        self.folder = folder / name
        self.folder.mkdir()
        self.host_key = make_key(self.folder / "host_key")
        authorized = self.folder / "authorized_keys"
        authorized.write_text(authorized_key + "\n")
        authorized.chmod(0o600)
        config = self.folder / "sshd_config"
        config.write_text(f"""ListenAddress 127.0.0.1
Port {self.port}
HostKey {self.folder}/host_key
AuthorizedKeysFile {authorized}
PidFile none
PermitRootLogin prohibit-password
PasswordAuthentication no
KbdInteractiveAuthentication no
UsePAM no
StrictModes no
PrintMotd no
""")
        self.log = self.folder / "sshd.log"
        with open(self.log, "w") as log:
            self.process = subprocess.Popen(_launch_command(config), stdin=subprocess.DEVNULL, stdout=log,
                                            stderr=subprocess.STDOUT, preexec_fn=_die_with_the_test)
        try:
            wait_until(lambda: accepts(self.port) or self.process.poll() is not None, START_SECONDS,
                       f"sshd {name} to listen on port {self.port}")
        except AssertionError:
            self.stop()
            raise
        if self.process.poll() is not None:
            raise Skip(f"sshd {name} could not start: {self.log.read_text().strip()}")

    def known_hosts_line(self):
        return f"[127.0.0.1]:{self.port} {' '.join(self.host_key)}"

    def stop(self):
        """Stops this sshd: SIGTERM, and SIGKILL if it lingers."""
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(STOP_SECONDS)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait(STOP_SECONDS)

    def stopped(self):
        """Whether it has ended and its port no longer answers."""
        return self.process.poll() is not None and not accepts(self.port)
