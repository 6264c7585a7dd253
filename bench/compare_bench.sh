#!/bin/sh
# Times `parvexcmd compare` on generated trees.
#   bench/compare_bench.sh [BUILD_DIR] [FILES]
# BUILD_DIR defaults to build, FILES (per side) to 200000. The trees are made once under
# ${BENCH_DIR:-/tmp/parvex-compare-bench} and kept for later runs; delete that folder to start afresh.
# Figures are with a warm page cache (the trees were just written or read).
set -eu

BUILD=${1:-build}
FILES=${2:-200000}
ROOT=${BENCH_DIR:-/tmp/parvex-compare-bench}/v2-$FILES
CMD=$BUILD/bin/parvexcmd
[ -x "$CMD" ] || { echo "no $CMD: build first (cmake --build $BUILD --target parvexcmd)" >&2; exit 2; }

make_tree() {
    # flat/: FILES files in one folder. tree/: the same count spread over 200 sub-folders, all of them
    # different since every 1000th file is missing on the right.
    python3 - "$ROOT" "$FILES" <<'PY'
import os, sys
root, n = sys.argv[1], int(sys.argv[2])
t0 = 1685620800
for side in ("left", "right"):
    flat = os.path.join(root, "flat", side)
    tree = os.path.join(root, "tree", side)
    os.makedirs(flat, exist_ok=True)
    for i in range(n):
        if side == "right" and i % 1000 == 999:
            continue
        p = os.path.join(flat, "file%07d.dat" % i)
        with open(p, "wb") as f:
            f.write(b"x" * (i % 97))
        # Every 100th file is newer on the left (same bytes); every 1000th exists on the left only.
        t = t0 + (10 if side == "left" and i % 100 == 0 else 0)
        os.utime(p, (t, t))
    per = max(1, n // 200)
    for i in range(n):
        if side == "right" and i % 1000 == 999:
            continue
        d = os.path.join(tree, "dir%03d" % (i // per))
        if i % per == 0:
            os.makedirs(d, exist_ok=True)
        p = os.path.join(d, "file%07d.dat" % i)
        with open(p, "wb") as f:
            f.write(b"y" * (i % 89))
        os.utime(p, (t0, t0))
PY
    touch "$ROOT/.complete"
}

if [ ! -f "$ROOT/.complete" ]; then
    echo "creating 2 x $FILES files, flat and in a tree, under $ROOT ..."
    rm -rf "$ROOT"
    mkdir -p "$ROOT"
    make_tree
fi

run() {
    label=$1
    shift
    # Read once so that every measured run starts from the same warm cache.
    "$CMD" compare "$@" >/dev/null 2>&1 || true
    start=$(date +%s.%N)
    "$CMD" compare "$@" >"$ROOT/out.txt" 2>/dev/null || true
    end=$(date +%s.%N)
    rows=$(wc -l <"$ROOT/out.txt")
    printf '%-44s %8.2f s  %8d rows\n' "$label" "$(echo "$end - $start" | bc)" "$rows"
}

common="--no-ignore-2sec --no-ignore-dst --include= --exclude="
# shellcheck disable=SC2086
run "flat, quick, $FILES files per side" --method quick --no-subfolders $common "$ROOT/flat/left" "$ROOT/flat/right"
# shellcheck disable=SC2086
run "flat, contents, $FILES files per side" --method contents --no-subfolders $common "$ROOT/flat/left" "$ROOT/flat/right"
# shellcheck disable=SC2086
run "tree of 200 folders, quick, $FILES per side" --method quick --subfolders $common "$ROOT/tree/left" "$ROOT/tree/right"
# shellcheck disable=SC2086
run "tree of 200 folders, quick, with --details" --method quick --subfolders --details $common "$ROOT/tree/left" "$ROOT/tree/right"
