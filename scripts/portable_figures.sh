#!/usr/bin/env bash
# Prints the figures of portable puzzles for a built folder: the size a portable puzzle adds and
# what takes the room, and how long a portable puzzle takes to show its game on a virtual X
# server on its first start (unpacking) and on later starts, each against a plain puzzle; and,
# for each root given (as root: a system made by tests/portable/make_test_root.sh), its first
# and later starts there, entered with chroot as the root's user 1000.
#   portable_figures.sh <build folder> [runs] [root...]
set -euo pipefail
build=$(realpath "$1")
runs=${2:-5}
roots=("${@:3}")
repository=$(realpath "$(dirname "$0")/..")
program=$build/src/app/tessalune
portable_part=$build/src/app/tessalune-portable
scratch=$(mktemp -d)
xvfb_pid=
cleanup() {
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  for root in "${roots[@]}"; do
    umount "$root/proc" 2>/dev/null || true
    rm -rf "$root/home/u/figures" "$root/home/u/first-"* "$root/home/u/later"
  done
  rm -rf "$scratch"
}
trap cleanup EXIT
cd "$scratch"

megabytes() { awk -v b="$1" 'BEGIN { printf "%.1f MB", b / 1048576 }'; }
size() { stat -c %s "$1"; }

"$program" --make "$repository/tests/fixtures/moonlit_hills_280x210.jpg" plain --name Figures
"$program" --make "$repository/tests/fixtures/moonlit_hills_280x210.jpg" portable --name Figures \
  --portable
echo "== Size"
echo "plain puzzle:    $(megabytes "$(size plain)")"
echo "portable puzzle: $(megabytes "$(size portable)")"
echo "added:           $(megabytes $(($(size portable) - $(size plain))))"

# What takes the room: the unpacked runtime's largest parts, and each part's share once
# compressed alone at the same level as the bundle (a close guide to the share in the bundle).
XDG_CACHE_HOME=$scratch/cache ./portable --version >/dev/null
runtime=$(echo "$scratch"/cache/tessalune/runtime-*)
level=${PORTABLE_LEVEL:-$(sed -n 's/^TESSALUNE_PORTABLE_LEVEL:STRING=//p' "$build/CMakeCache.txt")}
echo "unpacked runtime: $(megabytes "$(du -sb "$runtime" | cut -f1)"), zstd level $level"
echo "largest parts (unpacked -> compressed alone):"
find "$runtime" -type f -printf '%s %P\n' | sort -rn | head -8 | while read -r bytes name; do
  packed=$(zstd -q -c "-$level" --ultra -T0 "$runtime/$name" | wc -c)
  printf '  %-32s %9s -> %s\n' "$name" "$(megabytes "$bytes")" "$(megabytes "$packed")"
done
older=$(tar -C "$runtime" -cf - older-host | zstd -q -c "-$level" --ultra -T0 | wc -c)
echo "carried for older hosts (older-host, compressed alone): $(megabytes "$older")"

# Start to game on screen, in milliseconds: the median of the runs.
Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 1280x1024x24 3>"$scratch/display" 2>/dev/null &
xvfb_pid=$!
while [ ! -s "$scratch/display" ]; do sleep 0.1; done
export DISPLAY=:$(cat "$scratch/display")
until_shown() { # until_shown <puzzle> <cache> [root]: milliseconds until its game shows
  local start end pid
  start=$(date +%s%N)
  if [ -n "${3:-}" ]; then
    env -i DISPLAY="$DISPLAY" HOME=/home/u XDG_CACHE_HOME="$2" \
      "$(command -v chroot)" --userspec=1000:1000 "$3" "/home/u/$1" >/dev/null 2>&1 &
  else
    XDG_CACHE_HOME=$2 "./$1" >/dev/null 2>&1 &
  fi
  pid=$!
  timeout 60 xdotool search --sync --onlyvisible --name Figures >/dev/null
  end=$(date +%s%N)
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  echo $(((end - start) / 1000000))
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
plain_ms=$(for _ in $(seq "$runs"); do until_shown plain "$scratch/cache"; done | median)
first_ms=$(for i in $(seq "$runs"); do until_shown portable "$scratch/first-$i"; done | median)
later_ms=$(for _ in $(seq "$runs"); do until_shown portable "$scratch/cache"; done | median)
echo "== Start to game on screen (median of $runs)"
echo "plain puzzle:             $plain_ms ms"
awk -v p="$plain_ms" -v f="$first_ms" -v l="$later_ms" 'BEGIN {
  printf "portable, first start:   %d ms (%.2f x plain)\n", f, f / p
  printf "portable, later start:   %d ms (%.2f x plain)\n", l, l / p }'
for root in "${roots[@]}"; do
  cp portable "$root/home/u/figures"
  chown 1000:1000 "$root/home/u/figures"
  mountpoint -q "$root/proc" || mount -t proc proc "$root/proc"
  first_ms=$(for i in $(seq "$runs"); do until_shown figures "/home/u/first-$i" "$root"; done | median)
  until_shown figures /home/u/later "$root" >/dev/null # unpacks
  later_ms=$(for _ in $(seq "$runs"); do until_shown figures /home/u/later "$root"; done | median)
  echo "in $root: first start $first_ms ms, later start $later_ms ms"
done
