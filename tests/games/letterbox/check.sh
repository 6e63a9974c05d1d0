#!/usr/bin/env bash
# Full screen through the main render target: 1280x1024 shows the game at
# 1280x960 from y 32; 1680x1050 at 1400x1050 from x 140. The mouse maps the
# corner pixel of a 1600x1200 screen to 799,599.
. "$(dirname "$0")/../lib.sh"
run_game --frames 2 --screen 1280x1024 --shot "2:$WORK/1280.png"
expect_status 0
expect_line "3	mode 800x600 true"
expect_line "3	CreateAppWindow done - width=1280 height=1024 fullScreen=true"
expect_image "$WORK/1280.png" letterbox_1280x1024
run_game --frames 2 --screen 1680x1050 --shot "2:$WORK/1680.png"
expect_image "$WORK/1680.png" letterbox_1680x1050
run_game --frames 3 --screen 1600x1200 --events "$GAME/events.txt"
expect_order "3	mouse 799,599" "3	mouse 0,0"
finish
