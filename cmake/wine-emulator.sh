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

exec wine "$@"
