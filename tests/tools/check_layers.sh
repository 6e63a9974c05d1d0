#!/usr/bin/env bash
# The one-way include rule: a folder of src/ includes only from folders of its
# own layer or below. Exceptions are the lines of docs/architecture.md of the
# form "- `src/FILE` includes `HEADER`: reason".
#   check_layers.sh [REPO_ROOT]
set -u
root="${1:-$(cd "$(dirname "$0")/../.." && pwd)}"
cd "$root" || exit 2

layer() {
  case "$1" in
    platform) echo 0 ;;
    diag) echo 1 ;;
    script) echo 2 ;;
    resources) echo 3 ;;
    graphics | text | audio | net | particles) echo 4 ;;
    app) echo 5 ;;
    *) echo "" ;;
  esac
}

allowed() {  # allowed FILE HEADER: listed as an exception
  grep -qF -- "- \`$1\` includes \`$2\`:" docs/architecture.md 2>/dev/null
}

status=0
while IFS= read -r file; do
  folder="${file#src/}"
  folder="${folder%%/*}"
  own=$(layer "$folder")
  [ -n "$own" ] || continue  # the program entry points sit above every layer
  while IFS= read -r header; do
    target=$(layer "${header%%/*}")
    [ -n "$target" ] || continue
    if [ "$target" -gt "$own" ] && ! allowed "$file" "$header"; then
      echo "layer rule: $file includes $header ($folder is below ${header%%/*})"
      status=1
    fi
  done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file")
done < <(find src -name '*.cpp' -o -name '*.h' | sort)

# An exception that no longer occurs is stale: the page must say what is true.
while IFS= read -r line; do
  file=$(sed -n 's/^- `\([^`]*\)` includes `\([^`]*\)`:.*/\1/p' <<<"$line")
  header=$(sed -n 's/^- `\([^`]*\)` includes `\([^`]*\)`:.*/\2/p' <<<"$line")
  [ -n "$file" ] || continue
  if ! grep -qxF "#include \"$header\"" "$file" 2>/dev/null; then
    echo "layer rule: docs/architecture.md lists $file including $header, which it does not"
    status=1
  fi
done < <(grep '^- `src/' docs/architecture.md 2>/dev/null)

[ "$status" = 0 ] && echo "layer rule: ok"
exit "$status"
