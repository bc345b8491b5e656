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

mkdir -p "$WINEPREFIX"
# One program at a time sets up; the lock's descriptor is closed for what
# Wine starts, or the server would hold the lock for as long as it lives.
(
  flock 9
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i </dev/null >/dev/null 2>&1 9>&-
  fi
  if wineserver -p15 </dev/null >/dev/null 2>&1 9>&-; then
    # A new server: let one program start the helpers away from our streams.
    wine cmd /c exit </dev/null >/dev/null 2>&1 9>&-
  fi
) 9>"$WINEPREFIX/.megawhets-lock"

exec wine "$@"
