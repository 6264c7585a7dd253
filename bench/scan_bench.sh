#!/bin/sh
# Times the folder scan on a flat folder of many files (warm cache).
#   bench/scan_bench.sh [files] [folder]      defaults: 200000 files in a temporary folder, removed afterwards
set -e
FILES=${1:-200000}
HERE=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${BENCH_BUILD:-$HERE/build-bench}
cmake -S "$HERE" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPARVEX_BENCH=ON >/dev/null
cmake --build "$BUILD" --target scan_bench >/dev/null
if [ -n "$2" ]; then
    FOLDER=$2
else
    FOLDER=$(mktemp -d)
    trap 'rm -rf "$FOLDER"' EXIT
fi
"$BUILD/bench/scan_bench" "$FOLDER/files" "$FILES"
