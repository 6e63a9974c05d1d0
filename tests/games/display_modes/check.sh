#!/usr/bin/env bash
# gfx_resolution in boot sets the first window; later it waits for the next
# window; gfx_full_screen(true) and Alt+Enter switch at the next frame, call
# on_recreate once each, and restart the timer (the next frame time is 0 and
# skipped, so no long frame follows).
. "$(dirname "$0")/../lib.sh"
run_game --frames 12 --dt 0.01 --screen 1280x1024 --events "$GAME/events.txt"
expect_status 0
expect_order "3	boot mode 0 0" "3	CreateAppWindow - width=1024 height=768 fullScreen=false" \
  "3	init mode 1024x768 false" "3	update 2 dt 0.010" "3	still 1024x768" "3	full now false" \
  "3	Recreate D3D" "3	toggleFullScreen" "3	CreateAppWindow - width=640 height=480 fullScreen=true" \
  "3	CreateAppWindow done - width=1280 height=1024 fullScreen=true" "3	recreated 640x480 true" \
  "3	update 3 dt 0.010" "3	Recreate D3D" "3	toggleFullScreen" \
  "3	CreateAppWindow - width=640 height=480 fullScreen=false" "3	recreated 640x480 false"
expect_count "3	Recreate D3D" 2
grep -q "dt 0.1" "$OUT" && fail "a long frame after the switch"
finish
