#!/usr/bin/env bash
# Fails when an include goes upward or across the layers: windows -> engine -> platform; inside
# windows/, main/ may use every window folder, maker/ and play/ use desktop/ and common/,
# desktop/ uses common/, common/ uses none; nothing but app/ uses main/.
set -euo pipefail
cd "$(dirname "$0")/.."
allowed() { # allowed <folder of the including file>
  case "$1" in
    src/platform*) echo "platform" ;;
    src/engine*) echo "platform engine" ;;
    src/windows/common*) echo "platform engine windows/common" ;;
    src/windows/desktop*) echo "platform engine windows/common windows/desktop" ;;
    src/windows/play*) echo "platform engine windows/common windows/desktop windows/play" ;;
    src/windows/maker*) echo "platform engine windows/common windows/desktop windows/maker" ;;
    src/windows/main*) echo "platform engine windows" ;;
    src/app*) echo "platform engine windows app" ;;
    src/portable*) echo "platform" ;;
  esac
}
status=0
while IFS=: read -r file include; do
  target=$(sed -E 's/.*#include "([^"]+)".*/\1/' <<<"$include")
  [[ "$target" == */* ]] || continue
  ok=0
  for prefix in $(allowed "$file"); do
    [[ "$target" == "$prefix"/* ]] && ok=1
  done
  if [ $ok -eq 0 ]; then
    echo "$file includes $target across the layers" >&2
    status=1
  fi
done < <(git grep -n '#include "' -- src | sed -E 's/^([^:]+):[0-9]+:/\1:/')
exit $status
