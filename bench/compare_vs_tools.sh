#!/bin/sh
# Times `parvexcmd compare` against the ordinary tools on one generated pair (bench/gen_pair.py), in one
# hyperfine run with warm caches, and prints each ratio against its target with PASS or MISS.
#   bench/compare_vs_tools.sh [PARVEXCMD] [FOLDER]
# PARVEXCMD defaults to build/bin/parvexcmd (this script builds nothing), FOLDER to /tmp/parvex-bench.
# The pair is generated once and kept; the hyperfine figures go to FOLDER/results.json.
# Needs hyperfine, rsync, diffutils, GNU find and GNU time (/usr/bin/time).
set -eu

HERE=$(cd "$(dirname "$0")" && pwd)
CMD=${1:-build/bin/parvexcmd}
ROOT=${2:-/tmp/parvex-bench}
RUNS=${RUNS:-5}
[ -x "$CMD" ] || { echo "no $CMD: build it first (cmake --build build --target parvexcmd)" >&2; exit 2; }
CMD=$(cd "$(dirname "$CMD")" && pwd)/$(basename "$CMD")
for tool in hyperfine rsync diff cmp find /usr/bin/time python3; do
    command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 2; }
done

python3 "$HERE/gen_pair.py" "$ROOT"
L=$ROOT/tree/L
R=$ROOT/tree/R
BL=$ROOT/big/L
BR=$ROOT/big/R
JSON=$ROOT/results.json

# Warm the page cache and the dentry/inode caches: every file's data once, every folder listed.
cat "$BL/big.bin" "$BR/big.bin" >/dev/null
find "$L" "$R" -type f -exec cat {} + >/dev/null
find "$L" "$R" -printf '%s %T@ %p\n' >/dev/null

# Commands that report differences exit with 1; hyperfine accepts that with -i.
hyperfine -N -i --warmup 1 --runs "$RUNS" --export-json "$JSON" \
    -n find        "find $L $R -printf '%s %T@ %p\n'" \
    -n rsync       "rsync -an --delete $L/ $R/" \
    -n diff        "diff -rq $L $R" \
    -n cat         "cat $BL/big.bin $BR/big.bin" \
    -n cmp         "cmp $BL/big.bin $BR/big.bin" \
    -n quick       "$CMD compare --method quick --subfolders $L $R" \
    -n contents    "$CMD compare --method contents --subfolders $L $R" \
    -n big         "$CMD compare --method contents $BL $BR"

# Peak memory of the quick comparison: the highest of three runs.
PEAK_KB=0
for _ in 1 2 3; do
    KB=$( { /usr/bin/time -v "$CMD" compare --method quick --subfolders "$L" "$R" >/dev/null; } 2>&1 \
          | sed -n 's/.*Maximum resident set size (kbytes): *//p')
    if [ "$KB" -gt "$PEAK_KB" ]; then PEAK_KB=$KB; fi
done

python3 - "$JSON" "$PEAK_KB" <<'PY'
import json, sys
res = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
peak_mb = int(sys.argv[2]) / 1024
t = {name: r["median"] for name, r in res.items()}
print()
print("%-10s %10s %10s" % ("command", "median s", "min s"))
for name, r in res.items():
    print("%-10s %10.3f %10.3f" % (name, r["median"], r["min"]))
print()
rows = [
    ("quick comparison / find listing",         t["quick"] / t["find"],              0.60, "x"),
    ("contents comparison / diff -rq",          t["contents"] / t["diff"],           0.60, "x"),
    ("1 GiB pair contents / cat of both",       t["big"] / t["cat"],                 1.20, "x"),
    ("peak memory of quick comparison",         peak_mb,                             150,  " MB"),
]
print("%-38s %10s %10s  %s" % ("measure", "value", "target", "result"))
for label, value, target, unit in rows:
    print("%-38s %10s %10s  %s" % (label, "%.2f%s" % (value, unit), "<= %g%s" % (target, unit),
                                   "PASS" if value <= target else "MISS"))
print()
print("for reference: quick / rsync -an %.2fx, big / cmp %.2fx"
      % (t["quick"] / t["rsync"], t["big"] / t["cmp"]))
PY
