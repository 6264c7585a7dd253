#!/bin/sh
# Runs every goal_*.sh benchmark in turn and prints their summary lines together at the end.
#   bench/goals.sh [PARVEXCMD] [FOLDER]     (RUNS=N, default 5; see bench/goal_lib.sh)
# A script that fails is listed as failed; the others still run. The reflink goal needs root.
set -eu
HERE=$(cd "$(dirname "$0")" && pwd)
GOAL_SUMMARY=$(mktemp)
export GOAL_SUMMARY
trap 'rm -f "$GOAL_SUMMARY"' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
for goal in quick contents big sync firstcopy reflink; do
    echo "== goal_$goal.sh"
    status=0
    "$HERE/goal_$goal.sh" "$@" || status=$?
    if [ "$status" -ne 0 ]; then echo "goal_$goal.sh: failed (exit status $status)" >>"$GOAL_SUMMARY"; fi
done
echo
echo "== summary"
cat "$GOAL_SUMMARY"
