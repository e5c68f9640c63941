#!/usr/bin/env bash
# Runs the tray check on a private Xvfb display with trayer as the system tray. Exit 77 (skipped) when Xvfb or
# trayer are missing.
set -euo pipefail
exe=$1
command -v Xvfb >/dev/null && command -v trayer >/dev/null || { echo "Xvfb or trayer missing"; exit 77; }
tmp=$(mktemp -d)
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$tmp"; }
trap cleanup EXIT
exec 3>"$tmp/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$tmp/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.1; done
[ -s "$tmp/display" ] || { echo "Xvfb did not start"; cat "$tmp/xvfb.log"; exit 77; }
export DISPLAY=":$(head -1 "$tmp/display")"
trayer --edge bottom --align right --widthtype pixel --width 200 --height 32 >"$tmp/trayer.log" 2>&1 &
pids+=($!)
sleep 1
export QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$tmp"
chmod 700 "$tmp"
timeout 60 "$exe"
