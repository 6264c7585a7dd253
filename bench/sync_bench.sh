#!/bin/sh
# Times `parvexcmd sync --sync right-same-as-left` against `rsync -a --delete` on fresh copies of the
# 100,000-file bench pair of bench/gen_pair.py (right side: 5% changed, 2% missing, 2% added), and the
# plan alone (`sync --dry-run` against `compare` of the same pair).
#   bench/sync_bench.sh [PARVEXCMD] [FOLDER]
# PARVEXCMD defaults to build/bin/parvexcmd, FOLDER to /tmp/parvex-bench (the pair is kept and reused).
# Each run starts from a fresh copy of the right side (hyperfine --prepare, not timed). RUNS=N sets the
# number of runs (default 5). Needs hyperfine, rsync and python3.
set -eu

HERE=$(cd "$(dirname "$0")/.." && pwd)
CMD=${1:-$HERE/build/bin/parvexcmd}
ROOT=${2:-/tmp/parvex-bench}
RUNS=${RUNS:-5}
for tool in hyperfine rsync python3; do
    command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 2; }
done
python3 "$HERE/bench/gen_pair.py" "$ROOT"
LEFT=$ROOT/tree/L
RIGHT=$ROOT/tree/R
WORK=$ROOT/sync-work
RESULTS=$ROOT/sync_results
mkdir -p "$RESULTS"
trap 'rm -rf "$WORK"' EXIT
find "$LEFT" "$RIGHT" -type f -exec cat {} + >/dev/null

# What a run replaces or deletes goes to the trash: a trash of the bench's own, emptied before each run.
export XDG_DATA_HOME=$ROOT/data
FRESH="rm -rf $WORK $XDG_DATA_HOME/Trash && cp -a $RIGHT $WORK && sync"
hyperfine -N --runs "$RUNS" --style basic --export-json "$RESULTS/sync.json" \
    --prepare "sh -c '$FRESH'" -n parvexcmd-sync "$CMD sync --sync right-same-as-left $LEFT $WORK" \
    --prepare "sh -c '$FRESH'" -n rsync "rsync -a --delete $LEFT/ $WORK/" \
    | grep -E '^Benchmark|Time'
rm -rf "$WORK" && cp -a "$RIGHT" "$WORK"
hyperfine -N --runs "$RUNS" --style basic --export-json "$RESULTS/plan.json" \
    -n compare "sh -c '$CMD compare $LEFT $WORK >/dev/null; true'" \
    -n sync-dry-run "sh -c '$CMD sync --sync right-same-as-left --dry-run $LEFT $WORK >/dev/null; true'" \
    | grep -E '^Benchmark|Time'

python3 - "$RESULTS" <<'PY'
import json, sys
d = sys.argv[1]
def med(f, name):
    for r in json.load(open(f"{d}/{f}"))["results"]:
        if r["command"] == name:
            return r["median"]
s, r = med("sync.json", "parvexcmd-sync"), med("sync.json", "rsync")
c, p = med("plan.json", "compare"), med("plan.json", "sync-dry-run")
print(f"sync {s:.3f} s, rsync {r:.3f} s: {s / r:.2f}x (goal <= 0.8x) {'PASS' if s / r <= 0.8 else 'MISS'}")
print(f"planning (dry run - compare): {max(p - c, 0):.3f} s (goal < 0.2 s) {'PASS' if p - c < 0.2 else 'MISS'}")
PY
