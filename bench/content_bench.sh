#!/bin/sh
# Times content comparison (2 x 1 GiB and 20,000 small file pairs, by every method), name pairing and the
# building of result rows. Reads come from the page cache (the files were just written); pass --cold as
# root to drop the cache before each big comparison.
#   bench/content_bench.sh [folder] [--cold]     default folder: a temporary one, removed afterwards
set -e
HERE=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${BENCH_BUILD:-$HERE/build-bench}
cmake -S "$HERE" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPARVEX_BENCH=ON >/dev/null
cmake --build "$BUILD" --target content_bench >/dev/null
BENCH="$BUILD/bench/content_bench"
if [ -n "$1" ] && [ "$1" != "--cold" ]; then
    FOLDER=$1
    shift
else
    FOLDER=$(mktemp -d)
    trap 'rm -rf "$FOLDER"' EXIT
fi
"$BENCH" big "$FOLDER" 1024 500000 >/dev/null     # writes the files and warms the cache
if [ "$1" = "--cold" ]; then
    sync
    echo 3 > /proc/sys/vm/drop_caches
fi
"$BENCH" big "$FOLDER" 1024 500000
"$BENCH" big "$FOLDER" 1024 4194304
"$BENCH" sparse "$FOLDER" 2147483649 500000
"$BENCH" small "$FOLDER" 20000 4096
"$BENCH" names 1000000
"$BENCH" rows 1000000
