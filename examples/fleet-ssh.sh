#!/usr/bin/env bash
# Which hosts are slow? megawhets runs on every host named, all at the same
# time, over ssh; then `megawhets compare --fleet` judges each host against
# the others. The same check as fleet.sbatch, for machines without Slurm.
#
#   fleet-ssh.sh [options] HOST...
#
#   -d DIR      where the records go (default: megawhets-fleet-DATE-TIME);
#               it must hold no records yet
#   -a SECONDS  how long each host's run takes (default 30)
#   -m COMMAND  what runs megawhets on a host (default: megawhets), put into
#               the remote command line as it stands, so it may be a path or
#               carry a prefix: -m /opt/megawhets/bin/megawhets
#   -c PROGRAM  the megawhets here that compares the records (default:
#               megawhets)
#   -F FILE     ssh's configuration file, as ssh -F takes it
#   -o OPTION   an ssh option, as ssh -o takes it; may be repeated
#   -h, --help  show this text and exit
#
# ssh never asks for a password or a passphrase here (BatchMode), since
# every host is asked at once: use keys and an agent. It waits 20 s for a
# host to answer unless told otherwise (-o ConnectTimeout=N).
#
# Each host runs on all of its processors (--copies all) with --strict: a
# run that was disturbed (it lost processor time, or the processor's speed
# moved) ends with status 4 and its record says why; it is still compared,
# and named below. Hosts that share hardware (virtual machines on one host)
# disturb each other when they are measured at once: check them apart.
#
# In DIR: HOST.json (the host's record), HOST.txt (its report, and ssh's
# errors), verdict.txt (the comparison; its last line names the slow hosts).
# A host that did not answer, or whose run failed, is named on standard
# error and left out of the comparison; its output is kept as
# HOST.json.left-out.
#
# Exit status: 0 when every host gave a record and the comparison was made;
# 1 when a host was left out, no host gave a record, or the comparison
# failed; 2 for bad usage.
set -uo pipefail

usage() {
  echo "usage: $(basename "$0") [-d DIR] [-a SECONDS] [-m COMMAND] [-c PROGRAM] [-F FILE] [-o OPTION]... HOST..."
}

# The help is the comment at the top of this file.
show_help() {
  awk 'NR > 1 { if (!/^#/) exit; sub(/^# ?/, ""); print }' "$0"
  exit 0
}

bad_usage() {
  echo "fleet-ssh: $1" >&2
  usage >&2
  echo "(--help says more)" >&2
  exit 2
}

# Options are single letters, as getopts reads them; --help is the one long
# one, and any other is named rather than read letter by letter.
for word in "$@"; do
  case $word in
  --help) show_help ;;
  --) break ;;
  --*) bad_usage "unknown option '$word'" ;;
  esac
done

dir=megawhets-fleet-$(date +%Y%m%d-%H%M%S)
seconds=30
remote_megawhets=megawhets
local_megawhets=megawhets
ssh_options=()
while getopts :d:a:m:c:F:o:h option; do
  case $option in
  d) dir=$OPTARG ;;
  a) seconds=$OPTARG ;;
  m) remote_megawhets=$OPTARG ;;
  c) local_megawhets=$OPTARG ;;
  F) ssh_options+=(-F "$OPTARG") ;;
  o) ssh_options+=(-o "$OPTARG") ;;
  h) show_help ;;
  :) bad_usage "option -$OPTARG needs a value" ;;
  *) bad_usage "unknown option -$OPTARG" ;;
  esac
done
shift $((OPTIND - 1))
[ $# -gt 0 ] || bad_usage "name at least one HOST"
hosts=("$@")
[[ $seconds =~ ^[0-9]+([.][0-9]+)?$ ]] || { echo "fleet-ssh: -a wants seconds, not '$seconds'" >&2; exit 2; }
for host in "${hosts[@]}"; do
  if [[ -z $host || $host == -* || $host == */* ]]; then
    echo "fleet-ssh: '$host' is not a host name" >&2
    exit 2
  fi
done
duplicates=$(printf '%s\n' "${hosts[@]}" | sort | uniq -d)
[ -z "$duplicates" ] || { echo "fleet-ssh: named more than once: $duplicates" >&2; exit 2; }

mkdir -p "$dir" || exit 1
if compgen -G "$dir/*.json" >/dev/null; then
  echo "fleet-ssh: $dir already holds records; name a new folder with -d" >&2
  exit 2
fi

# The user's -o options come first: for ssh, the first value given wins.
ssh_options+=(-o BatchMode=yes -o ConnectTimeout=20)
remote_command="$remote_megawhets --auto=$seconds --copies all --strict --json -"

echo "megawhets on ${#hosts[@]} host(s), about $seconds s each, records in $dir" >&2
pids=()
for host in "${hosts[@]}"; do
  ssh -n "${ssh_options[@]}" -- "$host" "$remote_command" >"$dir/$host.json" 2>"$dir/$host.txt" &
  pids+=($!)
done

# ssh exits 255 when it could not reach the host, and otherwise with the
# remote command's status.
why_left_out() {
  case $1 in
  255) echo "did not answer" ;;
  127) echo "has no megawhets (-m names it)" ;;
  3) echo "computes the workload wrongly" ;;
  *) echo "its run failed (status $1)" ;;
  esac
}

left_out=0
records=0
for i in "${!hosts[@]}"; do
  host=${hosts[$i]}
  status=0
  wait "${pids[$i]}" || status=$?
  if { [ "$status" -eq 0 ] || [ "$status" -eq 4 ]; } && [ -s "$dir/$host.json" ]; then
    records=$((records + 1))
    [ "$status" -eq 0 ] || echo "fleet-ssh: $host: its run gave a warning (see $dir/$host.txt)" >&2
  else
    left_out=$((left_out + 1))
    [ "$status" -ne 0 ] || status="0, but no record"
    echo "fleet-ssh: $host left out: $(why_left_out "$status"): $(tail -n 1 "$dir/$host.txt")" >&2
    mv "$dir/$host.json" "$dir/$host.json.left-out"
  fi
done

if [ "$records" -eq 0 ]; then
  echo "fleet-ssh: no host gave a record" >&2
  exit 1
fi
"$local_megawhets" compare --fleet "$dir" | tee "$dir/verdict.txt"
compared=${PIPESTATUS[0]}
if [ "$compared" -ne 0 ]; then
  echo "fleet-ssh: the comparison failed (megawhets compare exited $compared)" >&2
  exit 1
fi
[ "$left_out" -eq 0 ] || exit 1
