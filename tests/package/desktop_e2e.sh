#!/usr/bin/env bash
# The painter as the desktop entry starts it, under a virtual X server:
# full screen it shows the tiled pattern; the window action opens a window
# of its own; Esc ends either with status 0.
#   desktop_e2e.sh full|window SCREEN_CHECK PALETTE_BMP COMMAND...
set -euo pipefail
# shellcheck source=tests/e2e/x11.sh
source "$(dirname "$0")/../e2e/x11.sh"
mode=$1
if [ "$mode" = full ]; then
    e2e_begin desktop "$2" "$3" 640x480
    shift 3
    move 374 240
    "$@" >"$work/velmora.out" 2>"$work/velmora.err" </dev/null &
    program_pid=$!
    poll tiled @ "$palette"
else
    e2e_begin desktop-window "$2" "$3" 1400x1100
    shift 3
    known=$(top_windows)
    "$@" >"$work/velmora.out" 2>"$work/velmora.err" </dev/null &
    program_pid=$!
    until_ok "no window appeared" new_window
    size=$(xwininfo -id "$new" | awk '/Width:/ {w = $2} /Height:/ {h = $2} END {print w "x" h}')
    [ "$size" = 1280x960 ] || fail "a $size window"
    # No window manager gives the window the keyboard.
    xdotool windowfocus --sync "$new"
fi
finish
