#!/usr/bin/env bash
# Makes a bare Debian system for the portable puzzle tests, once: debootstrap's minimal variant
# with only the packages of the host libraries a portable puzzle takes from its computer (as
# HOST_PACKAGES names them), and an ordinary user "u" (1000) whose home is /home/u. Later runs find
# it in place and return at once.
#   make_test_root.sh SUITE HOST_PACKAGES FOLDER
# Exits 3, saying so, when no mirror serves SUITE any more.
set -euo pipefail
[ $# -eq 3 ] || { echo "usage: $0 SUITE HOST_PACKAGES FOLDER" >&2; exit 2; }
suite=$1 host_packages=$2 folder=$3
[ -f "$folder/.made" ] && exit 0

mirror=
for candidate in http://deb.debian.org/debian http://archive.debian.org/debian; do
  if curl -fsI -m 20 "$candidate/dists/$suite/Release" >/dev/null; then
    mirror=$candidate
    break
  fi
done
[ -n "$mirror" ] || { echo "no Debian mirror serves $suite any more: the test cannot run" >&2; exit 3; }

packages=$(grep -v -e '^#' -e '^$' "$host_packages" | awk '{ print $2 }' | sort -u | paste -sd,)
rm -rf "$folder.part"
mkdir -p "$(dirname "$folder")"
debootstrap --variant=minbase --include="$packages" "$suite" "$folder.part" "$mirror" >&2
chroot "$folder.part" useradd --uid 1000 --create-home --home-dir /home/u u
rm -rf "$folder.part"/var/cache/apt/archives/*.deb "$folder.part"/var/lib/apt/lists/*
touch "$folder.part/.made"
rm -rf "$folder"
mv "$folder.part" "$folder"
