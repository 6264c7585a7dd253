#!/bin/sh
# A 1 GiB copy on btrfs must stay a reflink: `parvexcmd sync --sync right-same-as-left` of a folder
# holding the bench's 1 GiB file into an empty folder on the same btrfs (a loop image below FOLDER),
# timed in one hyperfine run with `cp --reflink=always` for reference. PASS when the median is under
# 0.2 s, the copy has the same bytes and none of its extents is its own (btrfs filesystem du: no
# exclusive bytes; filefrag -v: every extent shared). Needs root for the loop device and the mount; both
# are undone on the way out, however the script ends.
#   bench/goal_reflink.sh [PARVEXCMD] [FOLDER]     (RUNS=N, default 5; see bench/goal_lib.sh)
set -eu
# shellcheck source=SCRIPTDIR/goal_lib.sh
. "$(cd "$(dirname "$0")" && pwd)/goal_lib.sh"
goal_need hyperfine python3 mkfs.btrfs btrfs losetup mount umount mountpoint filefrag cmp truncate
[ "$(id -u)" -eq 0 ] || { echo "goal_reflink.sh needs root (loop device and mount)" >&2; exit 2; }
goal_app
goal_pair
IMG=$ROOT/goal-reflink.img
MNT=$ROOT/goal-reflink-mnt
PREPARE=$ROOT/goal-reflink-prepare.sh
JSON=$ROOT/goal_reflink.json
DEV=""
cleanup() {
    if mountpoint -q "$MNT"; then umount "$MNT" || umount -l "$MNT" || true; fi
    if [ -n "$DEV" ]; then losetup -d "$DEV" || true; fi
    rmdir "$MNT" 2>/dev/null || true
    rm -f "$IMG" "$PREPARE"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

rm -f "$IMG"
mkdir -p "$MNT"
truncate -s 3G "$IMG"
# mkfs.btrfs says its notes on standard error even with -q: shown only when it fails.
MKFS_SAID=$(mkfs.btrfs -q "$IMG" 2>&1) || { echo "$MKFS_SAID" >&2; exit 2; }
DEV=$(losetup --find --show "$IMG")
mount "$DEV" "$MNT"
mkdir "$MNT/src"
cp --reflink=never "$BL/big.bin" "$MNT/src/"
sync
cat >"$PREPARE" <<PREP
set -e
$GOAL_RESET
rm -rf '$MNT/dst' '$MNT/dst-cp'
mkdir '$MNT/dst' '$MNT/dst-cp'
sync
PREP

hyperfine -N --runs "$RUNS" --style basic --export-json "$JSON" \
    --prepare "sh '$PREPARE'" -n cp "cp --reflink=always '$MNT/src/big.bin' '$MNT/dst-cp/'" \
    --prepare "sh '$PREPARE'" -n parvexcmd "'$CMD' sync --sync right-same-as-left '$MNT/src' '$MNT/dst'"

# The copy left by the last parvexcmd run: same bytes, and no extent of its own.
COPY=$MNT/dst/big.bin
sync
SAME=no
if cmp -s "$MNT/src/big.bin" "$COPY"; then SAME=yes; fi
EXCLUSIVE=$(btrfs filesystem du -s --raw "$COPY" | awk 'NR == 2 { print $2 }')
EXTENTS=$(filefrag -v "$COPY" | grep -cE '^ *[0-9]+:' || true)
SHARED=$(filefrag -v "$COPY" | grep -E '^ *[0-9]+:' | grep -c shared || true)
echo "copy: same bytes $SAME, exclusive bytes ${EXCLUSIVE:-?}, extents $EXTENTS of which shared $SHARED"

goal_say "$(python3 - "$JSON" "$SAME" "${EXCLUSIVE:--1}" "$EXTENTS" "$SHARED" <<'PY'
import json, sys
path, same, exclusive, extents, shared = sys.argv[1:6]
med = {r["command"]: r["median"] for r in json.load(open(path))["results"]}
ours, cp = med["parvexcmd"], med["cp"]
reflink = same == "yes" and exclusive == "0" and int(extents) > 0 and shared == extents
verdict = "PASS" if reflink and ours < 0.2 else "MISS"
print(f"1 GiB copy on btrfs: {ours:.3f} s vs cp --reflink=always {cp:.3f} s = {ours / cp:.2f}x "
      f"(goal: shared extents and < 0.2 s; {'shared' if reflink else 'NOT shared'}) {verdict}")
PY
)"
