#!/bin/sh
# Contents comparison of the 1 GiB pair of the bench (real data, only the last byte differs) against
# `cat` of both files to /dev/null, the floor of reading them; goal: at most 1.2 times cat's time.
#   bench/goal_big.sh [PARVEXCMD] [FOLDER]     (RUNS=N, default 5; see bench/goal_lib.sh)
set -eu
# shellcheck source=SCRIPTDIR/goal_lib.sh
. "$(cd "$(dirname "$0")" && pwd)/goal_lib.sh"
goal_need hyperfine python3 cat
goal_app
goal_pair
cat "$BL/big.bin" "$BR/big.bin" >/dev/null
JSON=$ROOT/goal_big.json
# parvexcmd compare exits with 1: the files differ.
hyperfine -N -i --warmup 1 --runs "$RUNS" --style basic --export-json "$JSON" \
    -n cat "cat '$BL/big.bin' '$BR/big.bin'" \
    -n parvexcmd "'$CMD' compare --method contents '$BL' '$BR'"
goal_report "$JSON" "contents compare, 1 GiB pair" parvexcmd cat cat 1.2
