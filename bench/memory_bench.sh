#!/bin/sh
# Times reading and writing the memory of the 100,000-file bench pair of bench/gen_pair.py (and the walk
# of both sides a synchronisation makes to write it).
#   bench/memory_bench.sh [FOLDER]
# FOLDER defaults to /tmp/parvex-bench (the pair is kept and reused); BENCH_BUILD to build-bench.
set -eu
HERE=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${BENCH_BUILD:-$HERE/build-bench}
ROOT=${1:-/tmp/parvex-bench}
python3 "$HERE/bench/gen_pair.py" "$ROOT"
cmake -S "$HERE" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPARVEX_BENCH=ON >/dev/null
cmake --build "$BUILD" --target memory_bench >/dev/null
find "$ROOT/tree/L" "$ROOT/tree/R" >/dev/null
"$BUILD/bench/memory_bench" "$ROOT/tree/L" "$ROOT/tree/R" "${RUNS:-5}"
