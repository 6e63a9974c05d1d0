#!/usr/bin/env bash
# The machine checked against the game's stated requirements before the game
# starts: the facts logged under the please-wait window, the warning that may
# be ignored, the error that ends the start, the marker that skips the checks
# after a run that died while gathering, and texts from a hostile engine.txt.
. "$(dirname "$0")/../lib.sh"
DIR="$PROFILE/Saved Games/Veskor Games/Checks"
WAIT="box		Loading, please wait...	"
HEAD="WARNING: Your computer is below minimum requirements for the game:\n\n"
MEMORY="- System memory required: 100000000 MB (you have: N MB)\n\n"
CONTINUE="You can continue if you want, but please note that the game may be slow and crash unexpectedly. Do you want to continue?"
checks() { use_variant "(app_name \"Checks\") (create_log 1) (dxdiag $1) $2"; }
# The machine's own memory varies: the lines name it as N.
run_checks() { run_game --frames 5 "$@" && sed -i -E 's/\(you have: [0-9]+ MB\)/(you have: N MB)/g' "$OUT"; }

# Below the warning level: No ends the start, the facts are in the log.
checks 1 "(requirement_warning system_memory 100000000)"
run_checks --answer no
expect_status 0
expect_order "$WAIT" "box	WARNING	$HEAD$MEMORY$CONTINUE	no"
expect_no_line "3	game started"
grep -q "^DXDiag - Begin ---------------------$" "$DIR/log.txt" || fail "no facts in the log"
grep -qE "^DxDiag_SystemInfo.szPhysicalMemoryEnglish = [0-9]+MB RAM$" "$DIR/log.txt" || fail "no memory fact in the log"
[ -e "$DIR/_dxdiag" ] && fail "the marker stayed after the facts were gathered"

# Yes goes on.
run_checks --answer yes
expect_line "box	WARNING	$HEAD$MEMORY$CONTINUE	yes"
expect_line "3	game started"

# Both levels failing: an error box showing the warning entry; the game does not start.
checks 1 "(requirement_warning system_memory 200000000) (requirement_error system_memory 100000000)"
run_checks
expect_line "box	ERROR	ERROR: Your computer is below minimum requirements for the game:\n\n- System memory required: 200000000 MB (you have: N MB)\n\n	ok"
expect_no_line "3	game started"

# A marker left by a run that died while gathering: no checks, no facts, the game starts.
mkdir -p "$DIR" && : >"$DIR/_dxdiag"
run_checks
expect_no_line "$WAIT"
expect_no_line "3	DXDiag - Begin ---------------------"
expect_line "3	game started"
[ -e "$DIR/_dxdiag" ] || fail "the marker was removed by a run that skipped the checks"
rm -f "$DIR/_dxdiag"

# Without dxdiag the requirements are not looked at; met requirements say nothing.
checks 0 "(requirement_error system_memory 100000000)"
run_checks
expect_no_line "3	DXDiag - Begin ---------------------"
expect_line "3	game started"
checks 1 "(requirement_warning system_memory 1) (requirement_error os 1 0 \"Linux 1.0\")"
run_checks
expect_line "3	DXDiag - Begin ---------------------"
expect_line "3	game started"

# A game's own texts are templates, never printf formats.
checks 1 "(requirement_warning system_memory 100000000)"
printf 'req_warning = Low %%n%%s%%x\nreq_system_memory = RAM %%d (you have: %%d MB) %%d\nreq_warning_caption = Hm %%S\n' >"$GAME/engine.txt"
run_checks --answer no
expect_line "box	Hm %S	Low %n%s%x\n\nRAM 100000000 (you have: N MB) %d\n\n$CONTINUE	no"
finish
