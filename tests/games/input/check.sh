#!/usr/bin/env bash
# Keyboard timing (struck, held, repeat after 400 ms then every 30 ms),
# characters with and without Shift, a drag from outside the window, one
# wheel notch reported in one frame, input_enable(false).
. "$(dirname "$0")/../lib.sh"
run_game --frames 76 --dt 0.01 --events "$GAME/events.txt"
expect_status 0
line() { grep -F "t=$1 " "$OUT" | cut -f2; }
check() { [ "$(line "$1")" = "$2" ] || fail "at $1: got '$(line "$1")', want '$2'"; }
check 0.02 "t=0.02 a=111 A=1 chars=a m=400,300 click=0 down=0 up=0 wheel=00 over=1"
check 0.03 "t=0.03 a=001 A=0 chars=nil m=400,300 click=0 down=0 up=0 wheel=00 over=1"
check 0.41 "t=0.41 a=001 A=0 chars=nil m=400,300 click=0 down=0 up=0 wheel=00 over=1"
check 0.42 "t=0.42 a=011 A=0 chars=a m=400,300 click=0 down=0 up=0 wheel=00 over=1"
check 0.44 "t=0.44 a=001 A=0 chars=nil m=400,300 click=0 down=0 up=0 wheel=00 over=1"
check 0.45 "t=0.45 a=011 A=0 chars=a m=400,300 click=0 down=0 up=0 wheel=00 over=1"
check 0.50 "t=0.50 a=000 A=0 chars=nil m=400,300 click=0 down=0 up=0 wheel=00 over=1"
check 0.53 "t=0.53 a=111 A=1 chars=A m=400,300 click=0 down=0 up=0 wheel=00 over=1"
check 0.55 "t=0.55 a=000 A=0 chars=nil m=400,300 click=0 down=0 up=0 wheel=00 over=1"
# outside: reset (up flags true) and locked; inside with the button still down: nothing
check 0.58 "t=0.58 a=000 A=0 chars=nil m=0,10 click=0 down=0 up=1 wheel=00 over=0"
check 0.60 "t=0.60 a=000 A=0 chars=nil m=100,100 click=0 down=0 up=1 wheel=00 over=1"
check 0.61 "t=0.61 a=000 A=0 chars=nil m=100,100 click=0 down=0 up=1 wheel=00 over=1"
check 0.64 "t=0.64 a=000 A=0 chars=nil m=100,100 click=1 down=1 up=0 wheel=00 over=1"
check 0.65 "t=0.65 a=000 A=0 chars=nil m=100,100 click=0 down=0 up=1 wheel=00 over=1"
check 0.67 "t=0.67 a=000 A=0 chars=nil m=100,100 click=0 down=0 up=0 wheel=10 over=1"
check 0.68 "t=0.68 a=000 A=0 chars=nil m=100,100 click=0 down=0 up=0 wheel=00 over=1"
# disabled from 0.71: the state of the last reset, clicks ignored
check 0.72 "t=0.72 a=000 A=0 chars=nil m=100,100 click=0 down=0 up=1 wheel=00 over=1"
check 0.73 "t=0.73 a=000 A=0 chars=nil m=100,100 click=0 down=0 up=1 wheel=00 over=1"
finish
