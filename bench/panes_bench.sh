#!/bin/sh
# Times the main window's result panes with many row pairs (default 1,000,000): filling them after a
# comparison, switching views, and synchronised scrolling.
#   bench/panes_bench.sh [pairs]
set -e
PAIRS=${1:-1000000}
HERE=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${BENCH_BUILD:-$HERE/build-bench}
cmake -S "$HERE" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPARVEX_BENCH=ON >/dev/null
cmake --build "$BUILD" --target panes_bench parvexlib >/dev/null
PARVEX_BIN_DIR="$BUILD/bin" QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$BUILD/bench/panes_bench" "$PAIRS"
