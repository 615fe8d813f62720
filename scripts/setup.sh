#!/bin/sh
# Installs what Snipvault needs on Debian 12 (only what is missing) and builds
# it into build/. Safe to run again: the second time it only rebuilds.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${SNIPVAULT_BUILD:-$ROOT/build}

PACKAGES="build-essential cmake pkg-config clang libclang-rt-14-dev \
libsdl2-dev libx11-dev libpng-dev libjpeg62-turbo-dev liblzo2-dev zlib1g-dev \
libgl1-mesa-dev libegl1-mesa-dev libgl1-mesa-dri mesa-utils \
libgtest-dev libgmock-dev googletest libbenchmark-dev \
xvfb xauth xdotool xclip x11-xkb-utils x11-utils x11-apps python3"

missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  echo "setup: installing$missing"
  if [ "$(id -u)" = 0 ]; then SUDO=""; else SUDO="sudo"; fi
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
fi

JOBS=$(nproc 2>/dev/null || echo 2)
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" -j "$JOBS"
