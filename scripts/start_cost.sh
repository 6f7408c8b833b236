#!/usr/bin/env bash
# Times the program's fixed start cost under a virtual X server and prints it as ratios, all
# measured in one run:
#   a plain Qt window (a label) from its start until it is on screen;
#   a small puzzle (15 × 15 pieces of 1024 × 576) and a 20-megapixel one (15 × 15 pieces of
#   5472 × 3648) from their start until they are playable (the tools window, which the play
#   window opens once its pieces are shown, is on screen);
#   the maker from its start until its wizard is on screen;
#   one decode of the 20-megapixel picture;
# and the peak memory of each process up to that moment. Each start is the median of RUNS runs.
#   start_cost.sh [build folder]   a build with the benchmarks (default build-test)
# Needs Xvfb, xdotool and GNU time (Debian packages xvfb, xdotool, time).
set -euo pipefail
cd "$(dirname "$0")/.."

build=$(realpath "${1:-build-test}")
program=$build/src/app/tessalune
probe=$build/bench/start_cost_probe
runs=${RUNS:-7}
work=$(mktemp -d)
export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"

# Xvfb picks a free display and writes its number once it is ready for clients; it does not
# reset when a client leaves, which would refuse the next start for a moment.
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=:$(cat "$work/display")

"$probe" photo "$work/small.jpg" 1024 576
"$probe" photo "$work/large.jpg" 5472 3648
"$program" --make "$work/small.jpg" "$work/small-puzzle" --cols 15 --rows 15 >/dev/null
"$program" --make "$work/large.jpg" "$work/large-puzzle" --cols 15 --rows 15 >/dev/null

# start_once TITLE COMMAND...: prints "seconds peak-KiB" for one start of COMMAND until a window
# called TITLE is on screen.
start_once() {
  local title=$1 start end pid
  shift
  start=$(date +%s.%N)
  /usr/bin/time -f %M -o "$work/peak" "$@" >/dev/null 2>"$work/stderr" &
  pid=$!
  until xdotool search --onlyvisible --name "^$title\$" >/dev/null 2>&1; do
    kill -0 "$pid" 2>/dev/null || { echo "$* ended before \"$title\" showed:" >&2; cat "$work/stderr" >&2; exit 1; }
  done
  end=$(date +%s.%N)
  # The program is ended by its own process, not by time's.
  pkill -TERM -P "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  echo "$(awk "BEGIN { print $end - $start }") $(tail -n 1 "$work/peak")"
}

# median_start NAME TITLE COMMAND...: sets NAME_s and NAME_kib to the median start and peak.
median_start() {
  local name=$1 title=$2
  shift 2
  for _ in $(seq "$runs"); do start_once "$title" "$@"; done >"$work/$name"
  local row=$(((runs + 1) / 2))
  printf -v "${name}_s" '%s' "$(sort -n -k1 "$work/$name" | sed -n "${row}p" | cut -d' ' -f1)"
  printf -v "${name}_kib" '%s' "$(sort -n -k2 "$work/$name" | sed -n "${row}p" | cut -d' ' -f2)"
}

median_start plain "Plain Qt window" "$probe" window
median_start small "Tools" "$work/small-puzzle"
median_start large "Tools" "$work/large-puzzle"
median_start maker "Tessalune" "$program"
decode_s=$("$probe" decode "$work/large.jpg")

ratio() { awk "BEGIN { printf \"%.2f\", ($1) / ($2) }"; }
mib() { awk "BEGIN { printf \"%d\", $1 / 1024 }"; }
printf 'plain Qt window    %6.3f s  %4s MiB\n' "$plain_s" "$(mib "$plain_kib")"
printf 'maker              %6.3f s  %4s MiB\n' "$maker_s" "$(mib "$maker_kib")"
printf 'small puzzle       %6.3f s  %4s MiB\n' "$small_s" "$(mib "$small_kib")"
printf '20 MP puzzle       %6.3f s  %4s MiB\n' "$large_s" "$(mib "$large_kib")"
printf 'one 20 MP decode   %6.3f s\n' "$decode_s"
echo "maker start / plain window:                    $(ratio "$maker_s" "$plain_s")"
echo "small puzzle start / plain window:             $(ratio "$small_s" "$plain_s")"
echo "20 MP puzzle start / (plain window + decode):  $(ratio "$large_s" "$plain_s + $decode_s")"
echo "small puzzle peak / plain window peak:         $(ratio "$small_kib" "$plain_kib")"
