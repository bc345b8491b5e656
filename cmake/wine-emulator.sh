#!/bin/sh
# Runs a Windows program under Wine: wine-emulator.sh PREFIX PROGRAM [ARGUMENT...]
#
# Wine starts a server and helper processes on first use, and they inherit
# the streams of whatever started them; a test runner waiting for the end of
# a test's output would then wait for them too. So the server and helpers are
# started here once, on streams of their own, before the program runs. The
# server lingers for a few seconds after its last program so that a run of
# tests shares it, then goes with its helpers; `wineserver -k` ends it at once.
set -eu
export WINEPREFIX="$1"
shift
export WINEDEBUG=-all
# Without this a crashing program has the debugger dump its registers onto
# standard output, where the tests read the report.
export WINEDLLOVERRIDES=winedbg.exe=d

# The server and its helpers serve every program run after them, so they may
# use every processor even when the program that starts them is held to one
# (as beside a busy process): held there, they would slow every later run.
# What they write goes to a log, with the errors of Wine's own that the
# program's run leaves out.
everywhere() {
  WINEDEBUG=-all,err+all taskset -c "$(cat /sys/devices/system/cpu/online)" "$@" </dev/null 9>&-
}
# What sets up runs on streams of its own, so a failure there must say so
# here, or the program's run would fail with nothing to show why.
failed() {
  echo "wine-emulator.sh: $1 failed (status $2) in $WINEPREFIX; its output:" >&2
  cat "$WINEPREFIX/.megawhets-setup.log" >&2
  exit 1
}

mkdir -p "$WINEPREFIX"
# One program at a time sets up; the lock's descriptor is closed for what
# Wine starts, or the server would hold the lock for as long as it lives.
(
  flock 9
  log="$WINEPREFIX/.megawhets-setup.log"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    everywhere wineboot -i >"$log" 2>&1 || failed "making the prefix (wineboot -i)" $?
  fi
  if everywhere wineserver -p15 >/dev/null 2>&1; then
    # A new server: let one program start the helpers away from our streams.
    everywhere wine cmd /c exit >"$log" 2>&1 || failed "starting Wine's helpers (wine cmd /c exit)" $?
  fi
) 9>"$WINEPREFIX/.megawhets-lock"

# megawhets itself runs on the streams it was given: its tests look at them.
case "$1" in
  *_tests.exe | *_negative_control.exe) ;;
  *) exec wine "$@" ;;
esac

# A test program's run, though, is taken down in files and retried once when
# Wine ended it before it printed anything: now and then (about one suite run
# in six here, only while its output went straight to the test runner's pipe)
# Wine gave a failing status and not a byte. GoogleTest prints before it runs
# any test, so such a run tested nothing, and a second run can only repeat
# the test, not hide a failure. The retry is said on standard error.
output="$(mktemp "$WINEPREFIX/.output.XXXXXX")"
errors="$(mktemp "$WINEPREFIX/.errors.XXXXXX")"
trap 'rm -f "$output" "$errors"' EXIT
for attempt in first second; do
  status=0
  wine "$@" >"$output" 2>"$errors" || status=$?
  if [ "$status" -eq 0 ] || [ -s "$output" ] || [ -s "$errors" ]; then
    break
  fi
  echo "wine-emulator.sh: Wine ended the $attempt run of $1 with status $status before it printed anything" >&2
done
cat "$output"
cat "$errors" >&2
exit "$status"
