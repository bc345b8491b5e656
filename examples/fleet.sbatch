#!/bin/bash
# Which nodes are slow? megawhets runs once on every node of this job, at
# the same time, then `megawhets compare --fleet` judges each node against
# the others. Submit it for the nodes you want checked, for example:
#
#   sbatch --nodes=16 --partition=batch fleet.sbatch
#   sbatch --nodelist='node[001-016]' fleet.sbatch
#
# Each node gets one run on all of its processors (--copies all) for about
# FLEET_SECONDS, with the node to itself (--exclusive), so that another job
# cannot make a node look slow. With --strict, a run that was disturbed
# anyway (it lost processor time, or the processor's speed moved) ends with
# status 4 and its record says why; it is still compared, because a node
# that is always disturbed is a node to look at.
#
# It writes, in FLEET_DIR:
#   NODE.json     the node's record          NODE.txt     its report
#   verdict.txt   the comparison, whose last line names the slow nodes
# and prints, in the job's output, the scontrol command that would drain the
# slow nodes. It never drains a node itself: read the verdict, then run the
# command if you agree.
#
# The job ends with the worst status of its steps, so that scontrol show job
# and sacct show a failed check as FAILED: that of the runs (4 when one was
# disturbed, 1 when one failed) once the verdict is written, or that of the
# comparison when it could not be made.
#
# Settings, from the environment you submit from (sbatch passes it on):
#   MEGAWHETS      the program, the same path on every node (default:
#                  megawhets, found on PATH)
#   FLEET_DIR      where the files go, on a file system every node shares
#                  (default: megawhets-fleet-JOBID in the folder you
#                  submitted from)
#   FLEET_SECONDS  how long each node's run takes (default 30; shorter runs
#                  are noisier)
#
#SBATCH --job-name=megawhets-fleet
#SBATCH --exclusive
#SBATCH --ntasks-per-node=1
#SBATCH --time=10
#SBATCH --output=megawhets-fleet-%j.out
set -u

megawhets=${MEGAWHETS:-megawhets}
dir=${FLEET_DIR:-$PWD/megawhets-fleet-$SLURM_JOB_ID}
seconds=${FLEET_SECONDS:-30}
mkdir -p "$dir" || exit 1

# One task per node, given all of the node's processors (--whole): a step
# otherwise gets one processor per task, and --copies all would use just
# that one. Each task's record and report go to files named for its node.
echo "megawhets on $SLURM_JOB_NUM_NODES node(s): $SLURM_JOB_NODELIST"
srun --ntasks-per-node=1 --whole --output="$dir/%N.json" --error="$dir/%N.txt" \
  "$megawhets" --auto="$seconds" --copies all --strict --json -
runs=$?
if [ "$runs" -ne 0 ]; then
  echo "some run failed or gave a warning (srun exited $runs): see $dir/*.txt"
fi

# A node whose run wrote no record is left out of the comparison.
for record in "$dir"/*.json; do
  if [ -f "$record" ] && [ ! -s "$record" ]; then
    echo "$(basename "$record" .json): no record, left out (see ${record%.json}.txt)"
    mv "$record" "$record.empty"
  fi
done

echo
"$megawhets" compare --fleet "$dir" | tee "$dir/verdict.txt"
compared=${PIPESTATUS[0]}
if [ "$compared" -ne 0 ]; then
  echo "the comparison failed (megawhets compare exited $compared)"
  exit "$compared"
fi

# The last line of the verdict: the slow hosts, comma-separated. They are
# named as each host names itself; where that differs from its Slurm node
# name (a fully qualified name, say), use the node names instead.
slow=$(tail -n 1 "$dir/verdict.txt")
echo
if [ -z "$slow" ]; then
  echo "No node is slow against its peers: nothing to drain."
else
  echo "To take the slow nodes out of service until they are looked at, run:"
  echo "  scontrol update nodename=$slow state=drain reason=\"megawhets: slow against its peers, job $SLURM_JOB_ID\""
fi
exit "$runs"
