#!/bin/sh
# Contents comparison of both trees of the bench pair against `diff -rq` of the same trees; goal: at
# most 0.6 times diff's time.
#   bench/goal_contents.sh [PARVEXCMD] [FOLDER]     (RUNS=N, default 5; see bench/goal_lib.sh)
set -eu
# shellcheck source=SCRIPTDIR/goal_lib.sh
. "$(cd "$(dirname "$0")" && pwd)/goal_lib.sh"
goal_need hyperfine python3 find diff
goal_app
goal_pair
goal_warm "$L" "$R"
JSON=$ROOT/goal_contents.json
# Both exit with 1 when the trees differ, which they do.
hyperfine -N -i --warmup 1 --runs "$RUNS" --style basic --export-json "$JSON" \
    -n diff "diff -rq '$L' '$R'" \
    -n parvexcmd "'$CMD' compare --method contents --subfolders '$L' '$R'"
goal_report "$JSON" "contents compare, bench trees" parvexcmd diff "diff -rq" 0.6
