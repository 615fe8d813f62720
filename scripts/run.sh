#!/bin/sh
# Builds Snipvault, installs it for this user and starts it.
#
# The program and its data files go into one per-user folder,
# $XDG_DATA_HOME/snipvault (by default ~/.local/share/snipvault), and the
# program runs from there, so its catalogue CODE.INI sits beside it. The
# shipped sample catalogue is copied only when there is no CODE.INI yet: a
# rebuild replaces the program, never the user's snippets, and deleting the
# build folder loses nothing.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${SNIPVAULT_BUILD:-$ROOT/build}
DATA_HOME=${XDG_DATA_HOME:-$HOME/.local/share}
case "$DATA_HOME" in /*) ;; *) DATA_HOME=$HOME/.local/share ;; esac
DEST=$DATA_HOME/snipvault

# SNIPVAULT_SKIP_BUILD=1 installs what the build folder holds as it is
[ "${SNIPVAULT_SKIP_BUILD:-0}" = 1 ] || "$ROOT/scripts/setup.sh"

mkdir -p "$DEST" "$DATA_HOME/applications" "$DATA_HOME/icons/hicolor/scalable/apps"
# a new program replaces the old one in one step, even while it runs
cp "$BUILD/snipvault" "$DEST/.snipvault.new"
mv -f "$DEST/.snipvault.new" "$DEST/snipvault"
if [ -e "$BUILD/snipvault-desktop" ]; then
  cp "$BUILD/snipvault-desktop" "$DEST/.snipvault-desktop.new"
  mv -f "$DEST/.snipvault-desktop.new" "$DEST/snipvault-desktop"
fi
# the command line: snipvault on the user's PATH (~/.local/bin beside
# ~/.local/share), its manual page and its bash completion
BIN=$(dirname "$DATA_HOME")/bin
mkdir -p "$BIN" "$DATA_HOME/man/man1" "$DATA_HOME/bash-completion/completions"
ln -sf "$DEST/snipvault" "$BIN/snipvault"
cp "$ROOT/shell/snipvault.1" "$DATA_HOME/man/man1/snipvault.1"
cp "$ROOT/shell/snipvault.bash" "$DATA_HOME/bash-completion/completions/snipvault"
for f in "$ROOT"/data/*; do
  name=$(basename "$f")
  if [ "$name" = CODE.INI ]; then
    [ -e "$DEST/CODE.INI" ] || cp "$f" "$DEST/CODE.INI"
  else
    cp "$f" "$DEST/$name"
  fi
done
cp "$ROOT/desktop/snipvault.svg" "$DATA_HOME/icons/hicolor/scalable/apps/snipvault.svg"
sed "s|^Exec=snipvault|Exec=\"$DEST/snipvault\"|; s|^Icon=.*|Icon=$DATA_HOME/icons/hicolor/scalable/apps/snipvault.svg|" \
  "$ROOT/desktop/snipvault.desktop" > "$DATA_HOME/applications/snipvault.desktop"

[ "${SNIPVAULT_NO_START:-0}" = 1 ] && exit 0
exec "$DEST/snipvault" "$@"
