#!/bin/sh
# `parvexcmd sync --sync right-same-as-left` of the bench pair against `rsync -a --delete`, each run on a
# fresh copy of the right side (right: 5% changed, 2% missing, 2% added); goal: at most 0.8 times
# rsync's time. The fresh copy, the emptied journal and trash, and a `sync` are hyperfine's --prepare,
# not timed. The result of the last parvexcmd run is checked against the left side.
#   bench/goal_sync.sh [PARVEXCMD] [FOLDER]     (RUNS=N, default 5; see bench/goal_lib.sh)
set -eu
# shellcheck source=SCRIPTDIR/goal_lib.sh
. "$(cd "$(dirname "$0")" && pwd)/goal_lib.sh"
goal_need hyperfine python3 rsync cp diff sync
goal_app
goal_pair
WORK=$ROOT/goal-sync-work
PREPARE=$ROOT/goal-sync-prepare.sh
JSON=$ROOT/goal_sync.json
trap 'rm -rf "$WORK" "$PREPARE"' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
cat >"$PREPARE" <<PREP
set -e
$GOAL_RESET
rm -rf '$WORK'
cp -a '$R' '$WORK'
sync
PREP
goal_warm "$L" "$R"

hyperfine -N --runs "$RUNS" --style basic --export-json "$JSON" \
    --prepare "sh '$PREPARE'" -n rsync "rsync -a --delete '$L/' '$WORK/'" \
    --prepare "sh '$PREPARE'" -n parvexcmd "'$CMD' sync --sync right-same-as-left '$L' '$WORK'"
# Contents and names only: what diff -rq sees.
diff -rq "$L" "$WORK" >/dev/null || echo "warning: after parvexcmd sync the right side still differs from the left" >&2
goal_report "$JSON" "sync right-same-as-left, bench pair" parvexcmd rsync "rsync -a --delete" 0.8
