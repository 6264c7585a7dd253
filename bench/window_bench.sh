#!/bin/sh
# Times a comparison of two flat folders of FILES files each (default 300,000) in the main window, from
# the Compare command until both panes have painted the rows, against `parvexcmd compare --method quick`
# on the same pair, in alternating rounds; prints the medians and their ratio against the goal (1.1).
#   bench/window_bench.sh [FILES]
# RUNS=N rounds (default 5). Builds into $BENCH_BUILD (default build-bench/) with -DPARVEX_BENCH=ON. The
# pair is made once under ${BENCH_DIR:-/tmp/parvex-window-bench} (seeded: the same names, sizes and
# times every time; sizes are holes, since the quick method never reads a byte) and kept for later runs.
# Offscreen unless QT_QPA_PLATFORM says otherwise; the cache is warmed before the first round.
set -eu
FILES=${1:-300000}
RUNS=${RUNS:-5}
HERE=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${BENCH_BUILD:-$HERE/build-bench}
ROOT=${BENCH_DIR:-/tmp/parvex-window-bench}/v1-$FILES
GOAL=1.1

cmake -S "$HERE" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPARVEX_BENCH=ON >/dev/null
cmake --build "$BUILD" --target window_bench parvexcmd parvexlib >/dev/null

if [ ! -f "$ROOT/.complete" ]; then
    echo "creating 2 x $FILES files under $ROOT ..."
    rm -rf "$ROOT"
    mkdir -p "$ROOT"
    python3 - "$ROOT" "$FILES" 20261210 <<'PY'
import os, random, sys
root, n, seed = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
rng = random.Random(seed)
# 2% of the names on the left only, 2% on the right only; of the pairs, 4% newer on the left, 3% newer on
# the right, 1% of equal time and another size, the rest equal. Names in no particular order on disk.
orphans = n // 50
common = n - orphans
total = common + 2 * orphans
stems = ["report", "IMG", "invoice", "notes", "Backup", "photo", "draft", "data", "mail", "song", "Résumé", "scan"]
exts = [".txt", ".jpg", ".pdf", ".docx", ".mp3", ".dat", ".png", ".xlsx", ""]
names = ["%s_%07d%s%s" % (rng.choice(stems), i, "_v2" if rng.random() < 0.1 else "", rng.choice(exts))
         for i in range(total)]
rng.shuffle(names)
t0 = 1700000000
for side in ("left", "right"):
    os.makedirs(os.path.join(root, side), exist_ok=True)
for k, name in enumerate(names):
    size = rng.randrange(0, 200000)
    t = t0 + rng.randrange(0, 86400 * 365)
    r = rng.random()
    kind = "common" if k < common else ("left" if k < common + orphans else "right")
    for side in ("left", "right"):
        if kind != "common" and kind != side:
            continue
        s, ts = size, t
        if kind == "common":
            if r < 0.04 and side == "left":
                ts = t + 3600
            elif 0.04 <= r < 0.07 and side == "right":
                ts = t + 7200
            elif 0.07 <= r < 0.08 and side == "right":
                s = size + 1
        fd = os.open(os.path.join(root, side, name), os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o644)
        os.ftruncate(fd, s)
        os.utime(fd, (ts, ts))
        os.close(fd)
PY
    touch "$ROOT/.complete"
fi

export PARVEX_BIN_DIR="$BUILD/bin"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
python3 - "$BUILD" "$ROOT" "$RUNS" "$GOAL" <<'PY'
import collections, statistics, subprocess, sys, time
build, root, runs, goal = sys.argv[1], sys.argv[2], int(sys.argv[3]), float(sys.argv[4])
left, right = root + "/left", root + "/right"
window = [build + "/bench/window_bench", left, right]
cmd = [build + "/bin/parvexcmd", "compare", "--method", "quick", left, right]

def run_window():
    out = subprocess.run(window, check=True, capture_output=True, text=True).stdout.splitlines()
    return float(out[0].split()[1]), out[-1]

def run_cmd():
    start = time.perf_counter()
    p = subprocess.run(cmd, stdout=subprocess.DEVNULL)
    elapsed = time.perf_counter() - start
    if p.returncode not in (0, 1):
        sys.exit("parvexcmd compare failed with %d" % p.returncode)
    return elapsed * 1000

# Warm the cache, and check that both find the same rows: the window's row count and left categories
# against parvexcmd's lines.
_, counts = run_window()
lines = subprocess.run(cmd, capture_output=True, text=True, errors="surrogateescape").stdout.splitlines()
cats = collections.Counter(line.split("\t")[2] or "-" for line in lines)
expected = "rows %d %d " % (len(lines), len(lines)) + " ".join("%s=%d" % kv for kv in sorted(cats.items()))
if counts != expected:
    sys.exit("the window and parvexcmd differ:\n  window:    %s\n  parvexcmd: %s" % (counts, expected))
print(counts)

w, c = [], []
for i in range(runs):
    order = (run_window, run_cmd) if i % 2 == 0 else (run_cmd, run_window)
    for f in order:
        if f is run_window:
            w.append(f()[0])
        else:
            c.append(f())
    print("round %d: window %8.1f ms   parvexcmd compare %8.1f ms   ratio %.3f" % (i + 1, w[-1], c[-1], w[-1] / c[-1]))
mw, mc = statistics.median(w), statistics.median(c)
ratio = mw / mc
print("median: window %.1f ms, parvexcmd compare %.1f ms; ratio %.3f (goal <= %.2f) %s"
      % (mw, mc, ratio, goal, "PASS" if ratio <= goal else "MISS"))
PY
