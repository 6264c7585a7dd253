#!/bin/sh
# Quick comparison (size and time) of both trees of the bench pair against a `find -printf` listing of
# the same trees; goal: at most 0.6 times find's time.
#   bench/goal_quick.sh [PARVEXCMD] [FOLDER]     (RUNS=N, default 5; see bench/goal_lib.sh)
set -eu
# shellcheck source=SCRIPTDIR/goal_lib.sh
. "$(cd "$(dirname "$0")" && pwd)/goal_lib.sh"
goal_need hyperfine python3 find
goal_app
goal_pair
goal_warm "$L" "$R"
JSON=$ROOT/goal_quick.json
# parvexcmd compare exits with 1 when the trees differ, which they do.
hyperfine -N -i --warmup 1 --runs "$RUNS" --style basic --export-json "$JSON" \
    -n find "find '$L' '$R' -printf '%s %T@ %p\n'" \
    -n parvexcmd "'$CMD' compare --method quick --subfolders '$L' '$R'"
goal_report "$JSON" "quick compare, bench trees" parvexcmd find "find -printf" 0.6
