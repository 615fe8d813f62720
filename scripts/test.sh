#!/bin/sh
# Sets everything up, then runs every test through CTest. Tests that need a
# display get a virtual one when none is there.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${SNIPVAULT_BUILD:-$ROOT/build}
"$ROOT/scripts/setup.sh"

XVFB_PID=""
if [ -z "${DISPLAY:-}" ]; then
  for n in 99 98 97 96 95 94 93 92 91 90; do
    if [ ! -e "/tmp/.X$n-lock" ]; then
      Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
      XVFB_PID=$!
      export DISPLAY=":$n"
      break
    fi
  done
  i=0
  while [ $i -lt 50 ] && ! xdpyinfo >/dev/null 2>&1 && [ ! -e "/tmp/.X11-unix/X${DISPLAY#:}" ]; do
    sleep 0.1; i=$((i+1))
  done
fi
trap '[ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true' EXIT INT TERM

cd "$BUILD"
ctest --output-on-failure -j "$(nproc 2>/dev/null || echo 2)" "$@"
