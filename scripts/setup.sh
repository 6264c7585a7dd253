#!/bin/sh
# Installs the Debian packages the build and the tests need; does nothing when all are present.
set -e
PACKAGES="cmake ninja-build g++ pkg-config qt6-base-dev qt6-multimedia-dev libdeflate-dev libssl-dev \
libgtest-dev libsqlite3-dev diffutils libgl-dev dosfstools poppler-utils desktop-file-utils \
fuse3 fusefat openssh-server openssh-client sshfs btrfs-progs e2fsprogs attr"
missing=""
for p in $PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends $missing
