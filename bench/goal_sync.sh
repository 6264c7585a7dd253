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
goal_fresh_fs
WORK=${GOAL_MNT:-$ROOT}/goal-sync-work
PREPARE=$ROOT/goal-sync-prepare.sh
JSON=$ROOT/goal_sync.json
# The copy of the last run and the trash are moved aside, not deleted, before each run, and deleted at the
# end. On ext4 without a journal a new inode is only given a number whose inode was not freed in the last
# half minute (recently_deleted), and the allocator steps over every such number one at a time: deleting
# a 100,000-file copy and a trash of 10,000 objects just before a run made each new file cost up to ten
# times as much as on a disk in daily use (26.9% of a run's samples in find_inode_bit/recently_deleted
# against 2% after a move), and weighed on the tool that makes more files (the trash's notes).
ASIDE=$ROOT/goal-sync-aside
trap 'sh -c "$GOAL_FRESH_END"; rm -rf "$WORK" "$PREPARE" "$ASIDE"' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
rm -rf "$ASIDE"
mkdir -p "$ASIDE"
cat >"$PREPARE" <<PREP
set -e
$GOAL_FRESH_FS
aside=\$(mktemp -d '$ASIDE/run.XXXXXX')
if [ -e '$WORK' ]; then mv '$WORK' "\$aside/work"; fi
if [ -e '$XDG_DATA_HOME/Trash' ]; then mv '$XDG_DATA_HOME/Trash' "\$aside/trash"; fi
$GOAL_RESET
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
