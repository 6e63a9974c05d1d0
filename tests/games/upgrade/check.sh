#!/usr/bin/env bash
# Upgrades against a server the check starts on 127.0.0.1: the query, the
# download, sys_upgrade_downloaded, the question at the next start (Later,
# then Yes, which starts the installer), the newest of several installers,
# and a hostile file name that must not leave upgrades/.
. "$(dirname "$0")/../lib.sh"
python3 "$(dirname "$0")/../../tools/http_server.py" "$WORK/ports" &
SERVER=$!
trap 'kill $SERVER 2>/dev/null; rm -rf "$WORK"' EXIT
for _ in $(seq 100); do [ -s "$WORK/ports" ] && break; sleep 0.05; done
read -r PORT _ _ <"$WORK/ports" || fail "the server did not start"
export TARN_TEST_INSTALLER_LOG="$WORK/installer.log"
DIR="$PROFILE/Saved Games/Veskor Games/Upgrades"
config() { use_variant "(app_name \"Upgrades\") (project_code \"$1\") (autoupdate $2) (upgrade_server \"http://127.0.0.1:$PORT\")"; }
BOX="box	Updating Upgrades	Update for this game is ready to be installed.\n\nDo you want to do it now?"

config game 1
run_game --frames 100000000
expect_status 0
expect_line "3	Upgrade check. Current version: 121"
expect_line "3	Upgrade check. Contacting server: http://127.0.0.1:$PORT/upgrade/upgrade_check/game?platform=linux&language=en&installed_build=121"
expect_line "3	Upgrade check. Reply from server: http://127.0.0.1:$PORT/files/126_game.run"
expect_line "3	Saving upgrade to file: upgrades/126_game.run"
expect_line "3	downloaded: 126 121"
[ -s "$DIR/upgrades/126_game.run" ] || fail "the installer was not saved"

# Later keeps it; nothing is started, and "Ok" from the server means nothing new.
config current 1
printf 'WAIT_URL = "http://127.0.0.1:%d/slow"\n' "$PORT" >"$GAME/data/wait.lua"
run_game --frames 100000000 --answer no
expect_line "$BOX	Later"
expect_line "3	Upgrade check. Reply from server: Ok"
expect_no_line "3	Saving upgrade to file: upgrades/126_game.run"
[ -e "$TARN_TEST_INSTALLER_LOG" ] && fail "Later started the installer"
[ -s "$DIR/upgrades/126_game.run" ] || fail "Later lost the installer"

# Yes starts it and ends the start.
run_game --frames 3 --answer yes
expect_line "$BOX	Yes"
expect_line "3	Run upgrade (126)"
expect_no_line "3	Application::Init"
for _ in $(seq 100); do [ -s "$TARN_TEST_INSTALLER_LOG" ] && break; sleep 0.05; done
grep -q "^ran 126_game.run" "$TARN_TEST_INSTALLER_LOG" || fail "the installer did not run"

# 120, 125 and 118 with build 121 and no server check: 125 is offered, the others go.
rm -f "$DIR/upgrades/"*
for n in 120 125 118; do printf '#!/bin/sh\n' >"$DIR/upgrades/${n}_game.run"; done
config game 0
run_game --frames 3 --answer no
expect_line "$BOX	Later"
expect_line "3	Upgrade check. Autoupdate disabled -- skipping server check."
[ "$(ls "$DIR/upgrades")" = "125_game.run" ] || fail "left in upgrades: $(ls "$DIR/upgrades" | tr '\n' ' ')"

# A hostile name is cut to a plain one inside upgrades/.
rm -f "$DIR/upgrades/"*
config hostile 1
run_game --frames 100000000
expect_line "3	Saving upgrade to file: upgrades/x.run"
[ -e "$DIR/upgrades/x.run" ] || fail "the hostile installer was not kept in upgrades/"
[ -n "$(find "$PROFILE" -name x.run -not -path "*/upgrades/*")" ] && fail "a file left upgrades/"
finish
