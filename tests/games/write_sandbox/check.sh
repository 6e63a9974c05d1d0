#!/usr/bin/env bash
# The write sandbox against planted links and odd names: folder names from
# config.txt that are not one plain name are refused; letter-case variants of
# the write folder, links inside it and "link/.." never lead outside; log.txt
# and the lock file planted as dangling links are not followed.
. "$(dirname "$0")/../lib.sh"
cp -r "$GAME" "$WORK/game"
GAME="$WORK/game"
folder="$PROFILE/Saved Games/Veskor Games/Sandbox"
outside="$WORK/outside"
mkdir -p "$folder" "$outside/dir"
echo keep > "$outside/victim.txt"
echo keep > "$outside/readonly.txt"
chmod 444 "$outside/readonly.txt"
ln -s "$outside/readonly.txt" "$folder/filelink"
ln -s "$outside" "$folder/link"
ln -s "$outside/log_target" "$folder/log.txt"
ln -s "$outside/lock_target" "$folder/.Sandbox.lock"
printf '%s/' "$folder" > "$GAME/data/where.txt"
run_game --frames 2
expect_status 0
expect_line "1	config.txt: publisher_dir \"../../escape\" is not one plain folder name (no path separator, \".\" or \"..\"); \"Veskor Games\" stays"
expect_line "1	config.txt: app_dir \"a/b\" is not one plain folder name (no path separator, \".\" or \"..\"); \"\" stays"
expect_line "3	upper: false"
expect_line "3	lower: false"
expect_line "3	through link: false"
expect_line "3	link dot dot: true"
expect_line "3	nested: true"
expect_line "3	again: false"
expect_line "3	save through link: false"
expect_line "3	remove through link: 0"
expect_line "3	rename through link: false"
expect_line "3	remove folder through link: false"
expect_line "3	remove matching: 1"
expect_line "2	Proba utworzenia podkatalogu w niedozwolonym miejscu"
expect_line "2	Proba zapisania pliku w niedozwolonym katalogu"
[ -d "$folder/dotdot" ] || fail "link/../dotdot was not made inside the write folder"
[ -d "$folder/one/two/three" ] || fail "nested folders missing"
for made in "$PROFILE/Saved Games/Veskor Games/SANDBOX" "$PROFILE/Saved Games/Veskor Games/sandbox" \
  "$outside/made" "$WORK/dotdot" "$outside/saved.txt" "$outside/log_target" "$outside/lock_target" \
  "$outside/stolen.txt" "$PROFILE/escape" "$PROFILE/Saved Games/escape" "$PROFILE/Saved Games/Veskor Games/a"; do
  [ -e "$made" ] && fail "written outside the write folder: $made"
done
[ "$(cat "$outside/victim.txt")" = keep ] || fail "a file outside was changed"
[ -d "$outside/dir" ] || fail "a folder outside was removed"
[ -L "$folder/filelink" ] && fail "file_remove of a link to a file did not remove the link"
[ "$(stat -c %a "$outside/readonly.txt")" = 444 ] || fail "removing a link changed its target's mode"
[ -f "$folder/log.txt" ] && [ ! -L "$folder/log.txt" ] || fail "log.txt is not a plain file of its own"
grep -qx "Config loaded" "$folder/log.txt" || fail "log.txt lacks its first line"
finish
