#!/bin/sh
# Run by hand: runs the whole suite and fails when it changed anything in the user's own trash or
# settings folder (names, sizes, times, modes of every entry, before and after).
#
# Usage: tests/support/check_home_untouched.sh <build folder> [ctest arguments...]

build=${1:?usage: $0 <build folder> [ctest arguments...]}
shift
data=${XDG_DATA_HOME:-$HOME/.local/share}
config=${XDG_CONFIG_HOME:-$HOME/.config}

snapshot() {
    for folder in "$data/Trash" "$config"; do
        if [ -e "$folder" ]; then
            find "$folder" -printf '%p %y %s %m %T@\n'
        else
            echo "$folder absent"
        fi
    done | sort
}

before=$(mktemp) && after=$(mktemp) || exit 1
trap 'rm -f "$before" "$after"' EXIT
snapshot >"$before"
(cd "$build" && QT_QPA_PLATFORM=offscreen ctest "$@")
suite=$?
snapshot >"$after"
if ! diff -u "$before" "$after"; then
    echo "FAILED: the suite changed $data/Trash or $config" >&2
    exit 1
fi
echo "The suite left $data/Trash and $config untouched (ctest exit status $suite)."
