#!/bin/sh
# Times FileOps::Copy (through bench/fileops_bench) against cp on the generated pair of bench/gen_pair.py:
# (a) one 1 GiB file against `cp`, (b) the tree of 100,000 small files in about 2,000 folders against
# `cp -a`, and prints each ratio against its target with PASS or MISS.
#   bench/fileops_bench.sh [FOLDER] [TARGET_PARENT]
# FOLDER (default /tmp/parvex-bench) holds the generated pair, kept and reused. The sources are read from
# a warm page cache (dropping it is not possible here).
#
# How it is timed, and why:
# - Every run copies into a fresh empty folder below TARGET_PARENT (default: beside FOLDER, so the same
#   file system), after a sync, so that no run pays for the write-back of the one before. The copies are
#   removed only at the end: ext4 skips recently freed inodes when it allocates new ones, and deleting
#   100,000 files just before a run makes every file creation of that run several times slower.
# - The disk of this virtual machine slows down by a factor of ten after a few GiB have been written,
#   and other builds share its two cores. So the runs are paired: each round is one hyperfine run of
#   the four commands, ours first in every other round, and the verdict is the median over the rounds
#   of the ratio within a round (both sides of a pair see the same state of the machine). Medians and
#   minimums of each command are printed too.
# RUNS=N sets the number of rounds (default 5). Builds into $BENCH_BUILD (default build-bench/) with
# -DPARVEX_BENCH=ON. Needs hyperfine and python3.
set -eu

HERE=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${BENCH_BUILD:-$HERE/build-bench}
ROOT=${1:-/tmp/parvex-bench}
RUNDIRS=${2:-$(dirname "$ROOT")}/parvex-fileops-runs
OUT=$RUNDIRS/current
RUNS=${RUNS:-5}
for tool in hyperfine python3 cp; do
    command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 2; }
done
cmake -S "$HERE" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPARVEX_BENCH=ON >/dev/null
cmake --build "$BUILD" --target fileops_bench >/dev/null
BENCH=$BUILD/bench/fileops_bench

python3 "$HERE/bench/gen_pair.py" "$ROOT"
TREE=$ROOT/tree/L
BIG=$ROOT/big/L/big.bin
RESULTS=$ROOT/fileops_results
rm -rf "$RESULTS" "$RUNDIRS"
mkdir -p "$RESULTS" "$RUNDIRS"
trap 'rm -rf "$RUNDIRS"' EXIT

# Warm caches: every source byte read once, every folder listed.
cat "$BIG" >/dev/null
find "$TREE" -type f -exec cat {} + >/dev/null

PREPARE="ln -sfn \$(mktemp -d -p $RUNDIRS) $OUT && sync"
round=1
while [ "$round" -le "$RUNS" ]; do
    if [ $((round % 2)) -eq 1 ]; then
        set -- -n cp-big "cp $BIG $OUT/" -n fileops-big "$BENCH copy $OUT $BIG" \
               -n cp-a-tree "cp -a $TREE $OUT/" -n fileops-tree "$BENCH copy $OUT $TREE"
    else
        set -- -n fileops-big "$BENCH copy $OUT $BIG" -n cp-big "cp $BIG $OUT/" \
               -n fileops-tree "$BENCH copy $OUT $TREE" -n cp-a-tree "cp -a $TREE $OUT/"
    fi
    hyperfine -N --runs 1 --style basic --prepare "sh -c '$PREPARE'" --export-json "$RESULTS/round$round.json" "$@" \
        | grep -E '^Benchmark|Time'
    round=$((round + 1))
done

python3 - "$RESULTS" <<'EOF'
import glob, json, statistics, sys
rounds = []
for f in sorted(glob.glob(sys.argv[1] + "/round*.json")):
    rounds.append({r["command"]: r["times"][0] for r in json.load(open(f))["results"]})
for ours, theirs, goal in (("fileops-big", "cp-big", 1.1), ("fileops-tree", "cp-a-tree", 1.0)):
    a = [r[ours] for r in rounds]
    b = [r[theirs] for r in rounds]
    ratio = statistics.median(x / y for x, y in zip(a, b))
    verdict = "PASS" if ratio <= goal else "MISS"
    print(f"{ours}: median {statistics.median(a):.3f} s, min {min(a):.3f} s; "
          f"{theirs}: median {statistics.median(b):.3f} s, min {min(b):.3f} s; "
          f"paired ratio {ratio:.2f} over {len(rounds)} rounds (goal <= {goal}) {verdict}")
EOF
