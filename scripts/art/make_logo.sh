#!/bin/sh
# Rebuilds assets/files/parvexlogo.jpg from make_logo.cpp. Needs the Qt 6 development files.
set -e
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
g++ -std=c++20 -fPIC -O1 -o "$work/make_logo" "$here/make_logo.cpp" $(pkg-config --cflags --libs Qt6Gui)
QT_QPA_PLATFORM=offscreen "$work/make_logo" "$here/../../assets/files/parvexlogo.jpg"
