#!/bin/sh
# First copy of a tree of 20,000 small files in about 400 folders (bench/gen_pair.py's left side, kept
# under FOLDER/firstcopy) into an empty folder: `parvexcmd sync --sync right-same-as-left` against
# `cp -a`; goal: at most 0.9 times cp's time. Each run gets a new empty folder (hyperfine's --prepare, with
# the journal emptied and a `sync`, not timed). Earlier copies are kept aside until the end rather than
# deleted between runs: ext4 avoids recently freed inodes, and deleting 20,000 files just before a run
# slows that run's file creation.
#   bench/goal_firstcopy.sh [PARVEXCMD] [FOLDER]     (RUNS=N, default 5; see bench/goal_lib.sh)
set -eu
# shellcheck source=SCRIPTDIR/goal_lib.sh
. "$(cd "$(dirname "$0")" && pwd)/goal_lib.sh"
goal_need hyperfine python3 cp diff sync
goal_app
SRC_ROOT=$ROOT/firstcopy
python3 "$GOAL_REPO/bench/gen_pair.py" "$SRC_ROOT" --files 20000 --folders 400 --big-mib 1
SRC=$SRC_ROOT/tree/L
goal_fresh_fs
RUNDIRS=${GOAL_MNT:-$ROOT}/goal-firstcopy-runs
OUT=$RUNDIRS/current
PREPARE=$ROOT/goal-firstcopy-prepare.sh
JSON=$ROOT/goal_firstcopy.json
rm -rf "$RUNDIRS"
mkdir -p "$RUNDIRS"
trap 'sh -c "$GOAL_FRESH_END"; rm -rf "$RUNDIRS" "$PREPARE"' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
cat >"$PREPARE" <<PREP
set -e
$GOAL_RESET
$GOAL_FRESH_FS
mkdir -p '$RUNDIRS'
if [ -d '$OUT' ]; then mv '$OUT' '$RUNDIRS'/old.\$\$; fi
mkdir '$OUT'
sync
PREP
goal_warm "$SRC"

hyperfine -N --runs "$RUNS" --style basic --export-json "$JSON" \
    --prepare "sh '$PREPARE'" -n cp "cp -a '$SRC/.' '$OUT'" \
    --prepare "sh '$PREPARE'" -n parvexcmd "'$CMD' sync --sync right-same-as-left '$SRC' '$OUT'"
diff -rq "$SRC" "$OUT" >/dev/null || echo "warning: the copy made by parvexcmd differs from its source" >&2
META='%P %y %m %U %G %T@\n'
if [ "$(cd "$SRC" && find . -mindepth 1 -printf "$META" | sort)" != "$(cd "$OUT" && find . -mindepth 1 -printf "$META" | sort)" ]; then
    echo "warning: the copy made by parvexcmd does not keep every mode, owner and time" >&2
fi
goal_report "$JSON" "first copy, 20,000-file tree" parvexcmd cp "cp -a" 0.9
