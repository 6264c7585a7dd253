#!/bin/sh
# Runs one test in a home of its own: HOME and the XDG folders point into a fresh temporary folder, so
# nothing a test does (a trashed file, a settings folder, a socket) reaches the user's own files. The
# folder goes away with the test; children the test starts inherit the same environment.
#
# Usage: isolated_home.sh program [arguments...]

root=$(mktemp -d "${TMPDIR:-/tmp}/parvex-home.XXXXXX") || exit 1
trap 'rm -rf "$root"' EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

export HOME="$root/home"
export XDG_CONFIG_HOME="$HOME/.config"
export XDG_DATA_HOME="$HOME/.local/share"
export XDG_STATE_HOME="$HOME/.local/state"
export XDG_CACHE_HOME="$HOME/.cache"
# Qt refuses a runtime folder that others may enter.
export XDG_RUNTIME_DIR="$root/runtime"
export PARVEX_TEST_HOME="$root"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_STATE_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR" || exit 1
chmod 0700 "$root" "$XDG_RUNTIME_DIR"

"$@"
