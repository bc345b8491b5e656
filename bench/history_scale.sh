#!/usr/bin/env bash
# The history at scale, each step in a process of its own: the import of
# HOSTS x RUNS generated records (default 10,000 x 100) into a new history,
# one host's trend, and a --fleet scan of every series. Prints each step's
# time, the history's size per record, and each step's peak memory.
#   history_scale.sh PROGRAM WORK_DIR [HOSTS [RUNS]]
set -euo pipefail
program=$1
work=$2
mkdir -p "$work"
database=$work/history-scale.db
rm -f "$database" "$database-wal" "$database-shm"
"$program" import "$database" "${3:-10000}" "${4:-100}"
"$program" trend "$database" node00100
"$program" fleet "$database"
rm -f "$database" "$database-wal" "$database-shm"
