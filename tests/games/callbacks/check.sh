#!/usr/bin/env bash
. "$(dirname "$0")/../lib.sh"

# The first pass only brings the game to the foreground (the timer restarts,
# a zero frame time is skipped), so three updates take four passes.
run_game --frames 4
expect_status 0
expect_order "3	Config loaded" "3	Tarn engine version: 1.4.7 (Aug 12 2010)" "3	Platform: linux" \
  "3	OpenGL: false" "3	Application::Init" "3	init.lua runs" "3	boot" "3	CreateMainWindow" \
  "3	init" "3	Application::Init done" "3	update 1" "3	render 1" "3	update 2" "3	render 2" \
  "3	update 3" "3	render 3" "3	destroy"
expect_no_line "3	update 4"
expect_count "3	destroy" 1

# "version" as the first argument shows the version box and starts nothing.
run_game -- version
expect_line "box	Version info	Tarn Engine Version: 1.4.7\nBuild date: Aug 12 2010	ok"
expect_no_line "3	boot"

# Written in another case it is no command: the game starts.
run_game --frames 1 -- Version
expect_line "3	boot"
expect_no_line "box	Version info	Tarn Engine Version: 1.4.7\nBuild date: Aug 12 2010	ok"

# "options" in any place and case shows the troubleshooter instead of the game.
run_game --frames 1 -- first OPTIONS
expect_no_line "3	boot"
expect_no_line "3	Config loaded"
grep -q "^box	Advanced Options	.*	Exit$" "$OUT" || fail "no troubleshooter window"
finish
