#!/bin/sh
# Times the sub-folder differences window over many differing files (default 200,000): opening with the
# first paint, scrolling both lists, select all.
#   bench/subdir_bench.sh [FILES]
set -e
HERE=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${BENCH_BUILD:-$HERE/build-bench}
cmake -S "$HERE" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPARVEX_BENCH=ON >/dev/null
cmake --build "$BUILD" --target subdir_bench parvexlib >/dev/null
PARVEX_BIN_DIR="$BUILD/bin" QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$BUILD/bench/subdir_bench" "$@"
