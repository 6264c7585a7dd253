# What the goal_*.sh benchmarks share; sourced, not run. Each script is called as
#   bench/goal_X.sh [PARVEXCMD] [FOLDER]        (RUNS=N sets hyperfine's runs, default 5)
# PARVEXCMD defaults to build/bin/parvexcmd below the repository root, FOLDER to /tmp/parvex-bench (the pair
# of bench/gen_pair.py, generated there once and reused). Every script prints one summary line:
#   <work>: <ours> s vs <peer> <peer s> s = <ratio>x (goal <= X) PASS|MISS
# from the medians of one hyperfine run holding both commands; with GOAL_SUMMARY set to a file the line is
# also appended there (bench/goals.sh collects them that way).
#
# parvexcmd keeps its journal (SyncJournal.db, with the memory of each pair) and SyncHist.Log in its
# application folder, which is its own folder when that is writable. So the scripts run a copy of
# parvexcmd and its library from FOLDER/goal-app, with HOME and the XDG folders under FOLDER/goal-home:
# the journal, the trash and the settings the runs see are the bench's own, never the build's or the user's.
# shellcheck shell=sh disable=SC2034  # the variables set here are for the scripts that source it

GOAL_REPO=$(cd "$(dirname "$0")/.." && pwd)
GOAL_CMD_GIVEN=${1:-$GOAL_REPO/build/bin/parvexcmd}
ROOT=${2:-/tmp/parvex-bench}
RUNS=${RUNS:-5}
case $ROOT in
    *\'*) echo "FOLDER must not hold a single quote: $ROOT" >&2; exit 2 ;;
    /*) ;;
    *) ROOT=$(pwd)/$ROOT ;;
esac

# goal_need TOOL...: stops with the list of the missing ones.
goal_need() {
    missing=""
    for tool in "$@"; do
        command -v "$tool" >/dev/null 2>&1 || missing="$missing $tool"
    done
    [ -z "$missing" ] || { echo "missing:$missing (Debian: apt-get install$missing)" >&2; exit 2; }
}

# goal_pair: makes or reuses the bench pair below ROOT; L, R, BL, BR name its sides.
goal_pair() {
    python3 "$GOAL_REPO/bench/gen_pair.py" "$ROOT"
    L=$ROOT/tree/L
    R=$ROOT/tree/R
    BL=$ROOT/big/L
    BR=$ROOT/big/R
}

# goal_app: sets CMD to a fresh copy of parvexcmd in APP (journal-free) and points HOME and XDG_* at
# GOAL_HOME. GOAL_RESET is a shell command (for a prepare script) that empties the journal, the history
# and the trash again, so that every run is the first synchronisation the bench's parvexcmd sees.
goal_app() {
    [ -x "$GOAL_CMD_GIVEN" ] || { echo "no $GOAL_CMD_GIVEN: build it first (cmake --build BUILD --target parvexcmd parvexlib)" >&2; exit 2; }
    given_dir=$(cd "$(dirname "$GOAL_CMD_GIVEN")" && pwd)
    [ -f "$given_dir/libparvexlib.so" ] || { echo "no libparvexlib.so beside $GOAL_CMD_GIVEN" >&2; exit 2; }
    APP=$ROOT/goal-app
    GOAL_HOME=$ROOT/goal-home
    rm -rf "$APP" "$GOAL_HOME"
    mkdir -p "$APP" "$GOAL_HOME/.local/share" "$GOAL_HOME/.config" "$GOAL_HOME/.cache"
    cp "$given_dir/$(basename "$GOAL_CMD_GIVEN")" "$APP/parvexcmd"
    cp "$given_dir/libparvexlib.so" "$APP/"
    CMD=$APP/parvexcmd
    HOME=$GOAL_HOME
    XDG_DATA_HOME=$GOAL_HOME/.local/share
    XDG_CONFIG_HOME=$GOAL_HOME/.config
    XDG_CACHE_HOME=$GOAL_HOME/.cache
    export HOME XDG_DATA_HOME XDG_CONFIG_HOME XDG_CACHE_HOME
    GOAL_RESET="rm -rf '$APP/SyncJournal.db' '$APP/SyncJournal.db-wal' '$APP/SyncJournal.db-shm' '$APP/SyncHist.Log' '$XDG_DATA_HOME/Trash'"
}

# goal_warm FOLDER...: every file's data read once and every folder listed, so the runs start warm. Where
# it may (as root), it first drops the cached inodes and names of whatever ran before: millions of them
# (the copies earlier benches set aside) make every new file slower to make (insert_inode_locked walks
# longer hash chains), for the peers as for us, and ratios measured so are not this machine's.
goal_warm() {
    if [ -w /proc/sys/vm/drop_caches ]; then
        sync
        echo 2 >/proc/sys/vm/drop_caches
    fi
    find "$@" -type f -exec cat {} + >/dev/null
    find "$@" -printf '%s %T@ %p\n' >/dev/null
}

# goal_report JSON WORK OURS PEER PEER_LABEL GOAL: the summary line from the medians of the commands named
# OURS and PEER in hyperfine's JSON.
goal_report() {
    [ $# -eq 6 ] || { echo "goal_report JSON WORK OURS PEER PEER_LABEL GOAL: $# arguments given" >&2; exit 2; }
    line=$(python3 - "$@" <<'PY'
import json, sys
path, work, ours, peer, label, goal = sys.argv[1:7]
med = {r["command"]: r["median"] for r in json.load(open(path))["results"]}
ratio = med[ours] / med[peer]
verdict = "PASS" if ratio <= float(goal) else "MISS"
print(f"{work}: {med[ours]:.3f} s vs {label} {med[peer]:.3f} s = {ratio:.2f}x (goal <= {goal}) {verdict}")
PY
)
    goal_say "$line"
}

# goal_say LINE: prints a summary line (and keeps it for bench/goals.sh).
goal_say() {
    echo
    echo "$1"
    if [ -n "${GOAL_SUMMARY:-}" ]; then echo "$1" >>"$GOAL_SUMMARY"; fi
}

# goal_fresh_fs: where it may (as root, with mkfs.ext4 and loop devices), each timed run writes into a file
# system made for it: GOAL_FRESH_FS is then a shell command (for a prepare script) that makes a new ext4 in
# a loop file below ROOT and mounts it at GOAL_MNT, and GOAL_FRESH_END one that takes it away again. On the
# disk the benches run on, what ran before weighs on every new file: inodes freed in the last minutes are
# stepped over one by one (ext4's recently_deleted), and millions of cached inodes of set-aside copies make
# each new one slower to add. Both slow the peers as much as us or more, and moved ratios by half between
# runs of the same builds. Without the means, GOAL_FRESH_FS is empty and the runs write below ROOT.
goal_fresh_fs() {
    GOAL_FRESH_FS=""
    GOAL_FRESH_END=""
    GOAL_MNT=""
    if [ "$(id -u)" -ne 0 ] || [ -n "${GOAL_NO_LOOP:-}" ] || ! command -v mkfs.ext4 >/dev/null 2>&1; then
        echo "(the runs write below $ROOT, not into a fresh file system: run as root for steadier ratios)" >&2
        return 0
    fi
    GOAL_MNT=$ROOT/goal-mnt
    img=$ROOT/goal-fs.img
    mkdir -p "$GOAL_MNT"
    GOAL_FRESH_END="if mountpoint -q '$GOAL_MNT'; then umount '$GOAL_MNT'; fi; rm -f '$img'"
    GOAL_FRESH_FS="$GOAL_FRESH_END; truncate -s 8G '$img'; mkfs.ext4 -q -F '$img'; mount -o loop '$img' '$GOAL_MNT'"
    if ! sh -c "$GOAL_FRESH_FS" 2>/dev/null; then
        sh -c "$GOAL_FRESH_END" 2>/dev/null || true
        GOAL_FRESH_FS=""
        GOAL_FRESH_END=""
        GOAL_MNT=""
        echo "(no loop mount here: the runs write below $ROOT)" >&2
    fi
}
