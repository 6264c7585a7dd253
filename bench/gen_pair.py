#!/usr/bin/env python3
"""Writes the benchmark pair of folders, the same bytes and times for the same seed.

    bench/gen_pair.py [ROOT] [--seed N] [--files N] [--folders N] [--big-mib N]

ROOT (default /tmp/parvex-bench) receives
  tree/L, tree/R  FILES small files (default 100,000) spread over about FOLDERS folders (default 2,000,
                  two levels deep); R is L with 5% of the files changed (other bytes, a later time and
                  often another size), 2% missing and 2% more added.
  big/L, big/R    one file of BIG_MIB MiB each (default 1024): real data written block by block, not a
                  sparse file, so reads cost what they cost on real files; only the last byte differs.
A finished pair leaves ROOT/.done holding its parameters; a second run with the same parameters
returns at once, other parameters rebuild it.
"""
import argparse
import os
import random
import shutil
import sys

T0 = 1685620800  # a fixed epoch, so the times are part of what the seed decides


def write(path, data, mtime):
    with open(path, "wb") as f:
        f.write(data)
    os.utime(path, (mtime, mtime))


def make_tree(root, rng, files, folders):
    left = os.path.join(root, "tree", "L")
    right = os.path.join(root, "tree", "R")
    tops = max(1, int(round(folders ** 0.5 / 1.2)))
    subs = max(1, folders // tops - 1)
    dirs = []
    for t in range(tops):
        top = "dir%03d" % t
        dirs.append(top)
        for s in range(subs):
            dirs.append(os.path.join(top, "sub%03d" % s))
    for side in (left, right):
        for d in dirs:
            os.makedirs(os.path.join(side, d), exist_ok=True)
    # one pool of random bytes; each file is a slice of it, so generation is not bound by the RNG
    pool = rng.randbytes(1 << 20)
    counts = {"same": 0, "changed": 0, "deleted": 0, "added": 0}
    for i in range(files):
        d = dirs[i % len(dirs)]
        name = os.path.join(d, "file%06d.%s" % (i, rng.choice(("txt", "dat", "bin", "c", "h"))))
        size = int(rng.expovariate(1 / 3000)) % 65536
        off = rng.randrange(0, len(pool) - size)
        data = pool[off:off + size]
        mtime = T0 + rng.randrange(0, 86400 * 365)
        write(os.path.join(left, name), data, mtime)
        r = rng.random()
        if r < 0.02:
            counts["deleted"] += 1
            continue
        if r < 0.07:
            counts["changed"] += 1
            # half keep their size, so only the contents (and the time) tell them apart
            if rng.random() < 0.5 and size > 0:
                pos = rng.randrange(size)
                data = data[:pos] + bytes([data[pos] ^ 0xFF]) + data[pos + 1:]
            else:
                data = data + b"changed\n"
            mtime += rng.randrange(60, 86400 * 30)
        else:
            counts["same"] += 1
        write(os.path.join(right, name), data, mtime)
    for i in range(files * 2 // 100):
        d = dirs[rng.randrange(len(dirs))]
        name = os.path.join(d, "added%06d.dat" % i)
        size = int(rng.expovariate(1 / 3000)) % 65536
        off = rng.randrange(0, len(pool) - size)
        write(os.path.join(right, name), pool[off:off + size], T0 + rng.randrange(0, 86400 * 365))
        counts["added"] += 1
    return len(dirs), counts


def make_big(root, rng, mib):
    block = rng.randbytes(1 << 20)
    for side, last in (("L", 0x00), ("R", 0x01)):
        folder = os.path.join(root, "big", side)
        os.makedirs(folder, exist_ok=True)
        path = os.path.join(folder, "big.bin")
        with open(path, "wb") as f:
            for _ in range(mib - 1):
                f.write(block)
            f.write(block[:-1] + bytes([last]))
        os.utime(path, (T0, T0))


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("root", nargs="?", default="/tmp/parvex-bench")
    ap.add_argument("--seed", type=int, default=20260601)
    ap.add_argument("--files", type=int, default=100000)
    ap.add_argument("--folders", type=int, default=2000)
    ap.add_argument("--big-mib", type=int, default=1024)
    a = ap.parse_args()
    stamp = "seed=%d files=%d folders=%d big-mib=%d\n" % (a.seed, a.files, a.folders, a.big_mib)
    done = os.path.join(a.root, ".done")
    try:
        with open(done) as f:
            if f.read() == stamp:
                return 0
    except OSError:
        pass
    for sub in ("tree", "big"):
        shutil.rmtree(os.path.join(a.root, sub), ignore_errors=True)
    try:
        os.remove(done)
    except OSError:
        pass
    os.makedirs(a.root, exist_ok=True)
    rng = random.Random(a.seed)
    ndirs, counts = make_tree(a.root, rng, a.files, a.folders)
    make_big(a.root, random.Random(a.seed + 1), a.big_mib)
    print("tree: %d folders per side, %d same, %d changed, %d only left, %d only right; big: 2 x %d MiB"
          % (ndirs, counts["same"], counts["changed"], counts["deleted"], counts["added"], a.big_mib),
          file=sys.stderr)
    with open(done, "w") as f:
        f.write(stamp)
    return 0


if __name__ == "__main__":
    sys.exit(main())
