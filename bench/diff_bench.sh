#!/bin/sh
# Times the visual differences of two generated 200,000-line files against diff + cat, and their memory.
#   bench/diff_bench.sh [LINES] [FOLDER]     (RUNS=N rounds, default 5)
set -e
HERE=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${BENCH_BUILD:-$HERE/build-bench}
cmake -S "$HERE" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPARVEX_BENCH=ON >/dev/null
cmake --build "$BUILD" --target diff_bench parvexlib >/dev/null
PARVEX_BIN_DIR="$BUILD/bin" QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$BUILD/bench/diff_bench" "$@"
