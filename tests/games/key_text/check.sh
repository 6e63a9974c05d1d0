#!/usr/bin/env bash
# Typed text and modifier keys: Ctrl combinations type nothing (Ctrl+A, B,
# Shift+A type "bA"); left and right Shift, Ctrl and Alt have their own codes
# and the common code is down while either side is. Flags in the order
# shift lshift rshift ctrl lctrl rctrl alt lalt ralt.
. "$(dirname "$0")/../lib.sh"
run_game --frames 16 --events "$GAME/events.txt"
expect_status 0
expect_order "3	u2 chars=nil down=000100000" \
  "3	u3 chars=b down=000000000" \
  "3	u4 chars=A down=100000000" \
  "3	u6 chars=nil down=101110000" \
  "3	u7 chars=nil down=101110000" \
  "3	u8 chars=nil down=101111000" \
  "3	u9 chars=nil down=101101000" \
  "3	u10 chars=nil down=000000110" \
  "3	u11 chars=nil down=000000111" \
  "3	u12 chars=nil down=000000101" \
  "3	u13 chars=nil down=000000000"
finish
