#!/bin/sh
# Sets everything up, then starts Snipvault on the shipped sample catalogue.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${SNIPVAULT_BUILD:-$ROOT/build}
"$ROOT/scripts/setup.sh"
exec "$BUILD/snipvault" "$@"
