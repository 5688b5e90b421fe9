#!/usr/bin/env bash
# Runs a command on a private Xvfb server with Qt's xcb platform, for the tests
# that need a real X server: window activation, focus, the X11 selection.
# Xvfb picks a free display itself (-displayfd), so parallel runs never clash.
set -euo pipefail

work=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/log" &
server=$!
trap 'kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; rm -rf "$work"' EXIT

# The display number arrives once the server accepts clients.
for _ in $(seq 1 200); do
  [ -s "$work/display" ] && break
  kill -0 "$server" 2>/dev/null || { cat "$work/log" >&2; exit 1; }
  sleep 0.05
done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; cat "$work/log" >&2; exit 1; }

status=0
DISPLAY=":$(head -n 1 "$work/display")" QT_QPA_PLATFORM=xcb "$@" || status=$?
exit "$status"
