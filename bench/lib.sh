# Shared by the game benchmarks (sourced): timed runs of a game folder, headless
# on the software renderer or in a window on the OpenGL back end, and a
# private Xvfb for the windowed runs.
# The caller sets build, renderer (software or opengl) and frames, puts the
# game in $work/game (a scratch folder made here and removed at exit) and
# defines write_params, which writes the game's data/params.lua for a run.
set -euo pipefail
bench_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
warmup=10

# Seconds (wall clock) for a run of $1 passes; stops the bench if the game fails.
timed_run() {
  local start end status=0
  write_params
  cp "$bench_dir/frames.lua" "$work/game/data/frames.lua"
  if [ "$renderer" = opengl ]; then printf 'FRAMES = %d\n' "$1" >> "$work/game/data/params.lua"; fi
  start=$(date +%s.%N)
  if [ "$renderer" = opengl ]; then
    (cd "$work/game" && HOME="$work/home" SDL_AUDIODRIVER=dummy "$build/tarn" > "$work/out.txt" 2>&1) || status=$?
  else
    "$build/tarn-headless" --game "$work/game" --profile "$work/profile" --frames "$1" > "$work/out.txt" || status=$?
  fi
  end=$(date +%s.%N)
  if [ "$status" != 0 ] || grep -q "^2	" "$work/out.txt"; then
    echo "bench: the game failed" >&2
    cat "$work/out.txt" >&2
    exit 1
  fi
  awk -v s="$start" -v e="$end" 'BEGIN { print e - s }'
}

# steady_rate LABEL PER_FRAME UNIT: the rate of steady drawing, the time of a
# short run (start-up, loading, first frames) taken from that of a long one.
steady_rate() {
  local label="$1" per_frame="$2" unit="$3" short long
  short=$(timed_run $((warmup + 1)))
  long=$(timed_run $((warmup + frames + 1)))
  [ -n "${BENCH_DEBUG:-}" ] && echo "short $short long $long" >&2
  if [ "$renderer" = opengl ] && ! grep -q "^OpenGL: true" "$work/out.txt"; then
    echo "bench: the window did not run on OpenGL" >&2
    exit 1
  fi
  awk -v l="$label" -v s="$short" -v e="$long" -v n=$((frames * per_frame)) -v u="$unit" \
    'BEGIN { printf "  %-40s %10.0f %s\n", l, n / (e - s), u }'
}

# Starts a private Xvfb and exports DISPLAY; false (with the reason printed)
# when there is none to start. The server stops when the script exits.
start_xvfb() {
  if [ ! -x /usr/bin/Xvfb ]; then
    echo "OpenGL figures skipped: Xvfb is not installed (./tarn setup installs it)"
    return 1
  fi
  local display="" n
  for n in $(seq 90 110); do
    [ -e "/tmp/.X$n-lock" ] || { display=$n; break; }
  done
  [ -n "$display" ] || { echo "OpenGL figures skipped: no free X display number"; return 1; }
  /usr/bin/Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp > /dev/null 2>&1 &
  xvfb=$!
  trap 'kill $xvfb 2> /dev/null; wait $xvfb 2> /dev/null; rm -rf "$work"' EXIT
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.05; done
  export DISPLAY=":$display"
}
