#!/bin/sh
# Starts the program on the current X display, waits for its window, then
# ends it the way a user would (Escape, Alt+F4 or the title bar's close
# button) or takes a screenshot of it, and writes the exit code to
# FOLDER/code. The program's log lands in FOLDER (its TMPDIR).
#   drive_window.sh PROGRAM FOLDER escape|altf4|close|screenshot [PNG]
set -u
BIN=$1 DIR=$2 ACTION=$3
HERE=$(cd "$(dirname "$0")" && pwd)
cd "$DIR" || exit 2
# a sanitizer build of the whole program: the desktop's libraries keep
# memory until exit; this drive checks the exit code and the log
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
# the frame's own size on any display
export SNIPVAULT_SCALE=1
TMPDIR="$DIR" timeout 30 "$BIN" >"$DIR/stdout" 2>"$DIR/stderr" &
pid=$!
id=""
i=0
while [ $i -lt 150 ] && [ -z "$id" ]; do
  grep -q "Init Finalized" "$DIR/ErrorLog.txt" 2>/dev/null &&
    id=$(xdotool search --pid "$pid" --name '^Snipvault$' 2>/dev/null | head -n 1)
  [ -z "$id" ] && sleep 0.1
  i=$((i + 1))
done
if [ -z "$id" ]; then
  echo "no window" >&2
  kill "$pid" 2>/dev/null
  wait "$pid"
  exit 2
fi
# keys go to the focused window: one driver at a time on a shared display
(
  flock 9
  case $ACTION in
    escape) xdotool windowfocus --sync "$id" && sleep 0.3 && xdotool key Escape ;;
    altf4) xdotool windowfocus --sync "$id" && sleep 0.3 && xdotool key alt+F4 ;;
    close) python3 "$HERE/close_window.py" "$id" ;;
    screenshot) sleep 1 && import -window "$id" "$4" && kill "$pid" ;;
  esac
  sleep 0.5
) 9>/tmp/snipvault-window-driver.lock
wait "$pid"
echo $? >"$DIR/code"
