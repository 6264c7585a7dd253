#!/bin/sh
# The system calls of `parvexcmd sync --sync right-same-as-left` on a fresh copy of the bench pair's right
# side (or, with FIRSTCOPY=1, of the 20,000-file tree of goal_firstcopy.sh into an empty folder), counted
# per thread under strace: how many each thread made, and which calls the thread that carries out the run
# made between its first and its last file put in place. Counts do not depend on how busy the machine is,
# so two builds can be told apart where their times cannot; strace slows every call down, so nothing here
# is a time.
#   bench/sync_calls.sh [PARVEXCMD] [FOLDER]
set -eu
# shellcheck source=SCRIPTDIR/goal_lib.sh
. "$(cd "$(dirname "$0")" && pwd)/goal_lib.sh"
goal_need strace python3 cp
goal_app
if [ "${FIRSTCOPY:-0}" = 1 ]; then
    python3 "$GOAL_REPO/bench/gen_pair.py" "$ROOT/firstcopy" --files 20000 --folders 400 --big-mib 1
    FROM=$ROOT/firstcopy/tree/L
    WORK=$ROOT/calls-work
    rm -rf "$WORK"
    mkdir "$WORK"
else
    goal_pair
    FROM=$L
    WORK=$ROOT/calls-work
    rm -rf "$WORK"
    cp -a "$R" "$WORK"
fi
TRACE=$ROOT/calls.trace
trap 'rm -rf "$WORK" "$TRACE"' EXIT
sh -c "$GOAL_RESET"
sync
strace -f -o "$TRACE" "$CMD" sync --sync right-same-as-left "$FROM" "$WORK" >/dev/null 2>&1 || true
python3 - "$TRACE" <<'PY'
import collections, re, sys
call = re.compile(r'^(\d+)\s+(?:<\.\.\. )?(\w+)')
per = collections.defaultdict(list)
main = None
for line in open(sys.argv[1]):
    m = call.match(line)
    if not m or 'resumed>' in line:
        continue
    main = main or m.group(1)
    per[m.group(1)].append(m.group(2))
print("calls per thread:", ", ".join(f"{'main ' if tid == main else ''}{len(calls)}"
                                      for tid, calls in sorted(per.items(), key=lambda x: -len(x[1]))))
calls = per[main]
placed = [i for i, name in enumerate(calls) if name in ('linkat', 'renameat2', 'renameat', 'rename')]
if placed:
    run = collections.Counter(calls[placed[0]:placed[-1] + 1])
    print(f"main thread in the run: {sum(run.values())} calls;",
          ", ".join(f"{name} {count}" for name, count in run.most_common(12)))
PY
