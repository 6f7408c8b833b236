#!/usr/bin/env bash
# Makes the program part of portable puzzles: the start stage followed by the runtime it carries.
#   bundle_runtime.sh STAGE PROGRAM PLUGIN_DIR FONT_DIR HOST_LIST LEVEL OUTPUT
# The runtime is the program, every library it and the plug-ins below need as installed on this
# machine (found with ldd, so nothing is kept by hand) except those in HOST_LIST, the xcb
# platform plug-in, the image-format plug-ins the picture loaders use (GIF, ICO, WebP; BMP and
# PNG are built into Qt, JPEG goes through libjpeg), and Liberation Sans. It is a ustar archive
# compressed with zstd at LEVEL, behind a header with its sizes and SHA-256 (see
# src/platform/PortableRuntime.h).
set -euo pipefail
[ $# -eq 7 ] || { echo "usage: $0 STAGE PROGRAM PLUGIN_DIR FONT_DIR HOST_LIST LEVEL OUTPUT" >&2; exit 2; }
stage=$1 program=$2 plugins=$3 fonts=$4 host_list=$5 level=$6 output=$7

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
mkdir -p "$root/lib" "$root/plugins/platforms" "$root/plugins/imageformats" "$root/fonts"
strip --strip-unneeded -o "$root/tessalune" "$program"
strip -o "$root.stage" "$stage"
cp "$plugins/platforms/libqxcb.so" "$root/plugins/platforms/"
for format in gif ico webp; do
  cp "$plugins/imageformats/libq$format.so" "$root/plugins/imageformats/"
done
for style in Regular Bold Italic BoldItalic; do
  cp "$fonts/LiberationSans-$style.ttf" "$root/fonts/"
done

host=$(grep -v -e '^#' -e '^$' "$host_list")
is_host() { grep -qxF "$1" <<<"$host"; }
missing=$(ldd "$root/tessalune" "$root"/plugins/*/*.so | grep 'not found' || true)
[ -z "$missing" ] || { echo "libraries not found: $missing" >&2; exit 1; }
ldd "$root/tessalune" "$root"/plugins/*/*.so | awk '$2 == "=>" && $3 ~ /^\// { print $3 }' |
  sort -u | while read -r library; do
    is_host "$(basename "$library")" || cp -L "$library" "$root/lib/"
  done

# Fixed names, order, owners and times: the same build gives the same bytes and hash.
tar --format=ustar --sort=name --owner=0 --group=0 --numeric-owner --mtime=@0 \
  -C "$root" -cf "$root.tar" tessalune lib plugins fonts
zstd -q -f "-$level" --ultra -T0 "$root.tar" -o "$root.tar.zst"
le64() { printf '%016x' "$1" | sed 's/../& /g' | awk '{ for (i = NF; i > 0; --i) printf "\\x%s", $i }'; }
{
  cat "$root.stage"
  printf 'TSLRUN01'
  printf "$(le64 "$(stat -c %s "$root.tar.zst")")"
  printf "$(le64 "$(stat -c %s "$root.tar")")"
  printf "$(sha256sum "$root.tar" | cut -c1-64 | sed 's/../\\x&/g')"
  cat "$root.tar.zst"
} >"$output.part"
rm -f "$root.tar" "$root.tar.zst" "$root.stage"
chmod 755 "$output.part"
mv "$output.part" "$output"
