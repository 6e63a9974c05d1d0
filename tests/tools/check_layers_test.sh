#!/usr/bin/env bash
# The include-rule checker on a small made-up tree: an upward include fails,
# a listed exception passes, a stale exception fails again.
set -u
checker="$(cd "$(dirname "$0")" && pwd)/check_layers.sh"
tree="$(mktemp -d)"
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree/src/diag" "$tree/src/app" "$tree/docs"
printf '#include "diag/log.h"\n' > "$tree/src/app/app.cpp"
printf '#include "app/console.h"\n' > "$tree/src/diag/log.cpp"
failures=0
expect() {  # expect STATUS TEXT: the checker's status, and a line it must print
  local out status
  out=$(bash "$checker" "$tree"); status=$?
  if [ "$status" != "$1" ] || ! grep -qF -- "$2" <<<"$out"; then
    echo "FAIL: expected status $1 and '$2', got $status:"; echo "$out"
    failures=$((failures + 1))
  fi
}
expect 1 "src/diag/log.cpp includes app/console.h (diag is below app)"
echo '- `src/diag/log.cpp` includes `app/console.h`: for the test' > "$tree/docs/architecture.md"
expect 0 "layer rule: ok"
printf '#include "diag/log.h"\n' > "$tree/src/diag/log.cpp"
expect 1 "lists src/diag/log.cpp including app/console.h, which it does not"
[ "$failures" = 0 ] && echo ok
exit "$failures"
