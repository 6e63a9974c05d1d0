# Shared helpers for the headless game checks. A check script is run as
#   check.sh TARN_HEADLESS GAME_DIR
# and sources this file. Each run gets a fresh profile folder.
set -u
HEADLESS="$1"
GAME="$2"
IMGCMP="${3:-}"
GOLDEN="${4:-}"
MKIMAGE="${5:-}"
# The fonts the build bakes (dejavu12, dejavu16, dejavu24 .xml/.fnt/.png), for games that copy them in.
FONTS="${6:-}"
# Makes test tones: tarn-mksound OUT wav|flac|ogg FREQUENCY SECONDS.
MKSOUND="${7:-}"
WORK="$(mktemp -d)"
PROFILE="$WORK/profile"
OUT="$WORK/out.txt"
FAILURES=0
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$PROFILE"

# run_game [runner options...] : runs the game, output in $OUT, status in $STATUS.
run_game() {
  STATUS=0
  "$HEADLESS" --game "$GAME" --profile "$PROFILE" "$@" >"$OUT" 2>"$WORK/stderr.txt" || STATUS=$?
  # Engine source lines in error reports vary with the code: compare without them.
  sed -i -E 's/(\.cpp):[0-9]+>/\1:LINE>/' "$OUT"
}

fail() {
  echo "FAIL: $*"
  FAILURES=$((FAILURES + 1))
}

# expect_image SHOT GOLDEN_NAME [TOLERANCE]: the image a run saved with
# --shot equals tests/golden/GOLDEN_NAME.png. With TARN_UPDATE_GOLDENS=1 the
# golden is written instead (look at it before committing it).
expect_image() {
  local shot="$1" golden="$GOLDEN/$2.png"
  if [ "${TARN_UPDATE_GOLDENS:-0}" = 1 ]; then
    cp "$shot" "$golden"
    echo "updated $golden"
    return
  fi
  [ -f "$shot" ] || { fail "no image $shot"; return; }
  [ -f "$golden" ] || { fail "no golden image $golden"; return; }
  "$IMGCMP" "$shot" "$golden" "${3:-0}" || fail "image differs from $golden"
}

# Lines of the output whose text (after the level) is exactly $1.
has_line() { grep -qxF -- "$1" "$OUT"; }

expect_line() { has_line "$1" || fail "missing line: $1"; }
expect_no_line() { ! has_line "$1" || fail "unexpected line: $1"; }
expect_status() { [ "$STATUS" -eq "$1" ] || fail "exit status $STATUS, expected $1"; }
expect_count() {
  local n
  n=$(grep -cxF -- "$1" "$OUT" || true)
  [ "$n" -eq "$2" ] || fail "line '$1' seen $n times, expected $2"
}
# The given lines occur in this order (each after the previous one).
expect_order() {
  local from=0 line n
  for line in "$@"; do
    n=$(WANT="$line" awk -v start="$from" 'NR > start && $0 == ENVIRON["WANT"] { print NR; exit }' "$OUT")
    if [ -z "$n" ]; then
      fail "line not found in order after line $from: $line"
      return
    fi
    from=$n
  done
}
# The output, for a failing check to show.
finish() {
  if [ "$FAILURES" -gt 0 ]; then
    echo "---- output of the last run ----"
    cat "$OUT"
    echo "---- stderr ----"
    head -50 "$WORK/stderr.txt"
    exit 1
  fi
  echo "ok"
  exit 0
}

# use_variant CONFIG_TEXT: later runs use a copy of the game whose config.txt
# is CONFIG_TEXT (one game folder, several configurations).
use_variant() {
  : "${BASE_GAME:=$GAME}"
  rm -rf "$WORK/variant"
  cp -r "$BASE_GAME" "$WORK/variant"
  printf '%s\n' "$1" >"$WORK/variant/config.txt"
  GAME="$WORK/variant"
}
