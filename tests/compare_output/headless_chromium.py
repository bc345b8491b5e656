"""Debian's chromium, headless, one fresh profile per page: the DOM as the
browser built it, a screenshot, and a log of every network request made.

Each run gets a new, empty --user-data-dir, and the flags that keep the
browser's own background services quiet; without them, here, its
connections are refused many at a time. Host names resolve to nothing, so
that no request could leave the machine even if one were made.
"""
import json
import pathlib
import shutil
import subprocess
import tempfile

CHROMIUM = "/usr/bin/chromium"
QUIET_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
               "--disable-background-networking", "--disable-component-update", "--disable-sync",
               "--host-resolver-rules=MAP * ~NOTFOUND", "--hide-scrollbars", "--force-device-scale-factor=1"]
# Chromium's own requests (its clock, its updates) name no origin; anything
# a page asks for names the page's.
BROWSER_INITIATOR = "not an origin"


def missing_reason():
    """Why no browser test can run here, or None."""
    if not pathlib.Path(CHROMIUM).exists() or not shutil.which(CHROMIUM):
        return f"{CHROMIUM} is not installed (Debian package chromium)"
    return None


def work_folder(path):
    """The folder a page test works in, made, for a test that needs the
    browser: a test skips here (script_test_support.Skip) where there is none."""
    reason = missing_reason()
    if reason:
        import script_test_support  # on the path of every page test, from tests/
        raise script_test_support.Skip(reason)
    work = pathlib.Path(path)
    work.mkdir(parents=True, exist_ok=True)
    return work


def page_test_main(parser, check, write_screenshot):
    """A page test's command line: the parser's own options, --program,
    --work, and --screenshot-to PNG, which writes the documentation's
    screenshot instead of checking. Returns the exit status ctest reads."""
    import script_test_support
    parser.add_argument("--program", required=True, help="the program that writes the page")
    parser.add_argument("--work", required=True, help="a directory for the records, pages and logs")
    parser.add_argument("--screenshot-to", help="write the documentation's screenshot here instead")
    args = parser.parse_args()
    return script_test_support.run_case(lambda: (write_screenshot if args.screenshot_to else check)(args))


def _run(url, arguments, window, seconds):
    with tempfile.TemporaryDirectory(prefix="megawhets-chromium-") as profile:
        command = [CHROMIUM, *QUIET_FLAGS, f"--user-data-dir={profile}", f"--window-size={window[0]},{window[1]}",
                   *arguments, url]
        try:
            done = subprocess.run(command, capture_output=True, timeout=seconds)
        except subprocess.TimeoutExpired:
            raise AssertionError(f"chromium took more than {seconds} s over {url}") from None
    if done.returncode != 0:
        tail = done.stderr.decode(errors="replace")[-2000:]
        raise AssertionError(f"chromium exited {done.returncode} over {url}:\n{tail}")
    return done.stdout


def dump_dom(path, window=(1100, 1600), net_log=None, budget_ms=5000, seconds=180):
    """The page's DOM after it loaded (and ran whatever script it may) as
    HTML text; with net_log, every network event is logged to that file."""
    arguments = ["--dump-dom", f"--virtual-time-budget={budget_ms}"]
    if net_log:
        arguments.append(f"--log-net-log={net_log}")
    return _run(pathlib.Path(path).resolve().as_uri(), arguments, window, seconds).decode("utf-8")


def screenshot(path, png, window=(1100, 1600), seconds=180):
    """A PNG of the top of the page, the window's size."""
    _run(pathlib.Path(path).resolve().as_uri(), [f"--screenshot={pathlib.Path(png).resolve()}"], window, seconds)
    if not pathlib.Path(png).is_file():
        raise AssertionError(f"chromium wrote no screenshot of {path}")


def url_requests(net_log):
    """Every URL request in a net log, as (url, initiator)."""
    with open(net_log) as f:
        log = json.load(f)
    constants = log["constants"]
    start_job = constants["logEventTypes"]["URL_REQUEST_START_JOB"]
    requests = []
    for event in log["events"]:
        parameters = event.get("params") or {}
        if event["type"] == start_job and "url" in parameters:
            requests.append((parameters["url"], parameters.get("initiator", "")))
    return requests


def page_requests(net_log):
    """The URL requests a page made: all but the browser's own."""
    return [(url, initiator) for url, initiator in url_requests(net_log) if initiator != BROWSER_INITIATOR]
