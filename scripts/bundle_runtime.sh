#!/usr/bin/env bash
# Makes the program part of portable puzzles: the start stage followed by the runtime it carries.
#   bundle_runtime.sh STAGE PROGRAM PLUGIN_DIR FONT_DIR HOST_LIST HOST_PACKAGES OLDER_HOST_LIST LEVEL
#                     OUTPUT
# The runtime is the program, every library it and the plug-ins below need as installed on this
# machine (found with ldd, so nothing is kept by hand) except those in HOST_LIST, the xcb
# platform plug-in, the image-format plug-ins the picture loaders use (GIF, ICO, WebP; BMP and
# PNG are built into Qt, JPEG goes through libjpeg), and Liberation Sans; and in "older-host/lib"
# this machine's copies of the host libraries of OLDER_HOST_LIST, for hosts whose own are older. It is a ustar archive compressed with zstd at LEVEL, behind a header with its sizes and
# SHA-256 (see src/platform/PortableRuntime.h). A zstd skippable frame before the archive's frame
# tells the stage, before it unpacks anything, what the runtime takes from the host and which
# package (of HOST_PACKAGES) brings each host library.
set -euo pipefail
[ $# -eq 9 ] || {
  echo "usage: $0 STAGE PROGRAM PLUGIN_DIR FONT_DIR HOST_LIST HOST_PACKAGES OLDER_HOST_LIST LEVEL OUTPUT" >&2
  exit 2
}
stage=$1 program=$2 plugins=$3 fonts=$4 host_list=$5 host_packages=$6 older_host_list=$7
level=$8 output=$9

root=$(mktemp -d)
trap 'rm -rf "$root" "$root".*' EXIT
mkdir -p "$root/lib" "$root/plugins/platforms" "$root/plugins/imageformats" "$root/fonts" \
  "$root/older-host/lib"
strip --strip-unneeded -o "$root/tessalune" "$program"
strip -o "$root.stage" "$stage"
cp "$plugins/platforms/libqxcb.so" "$root/plugins/platforms/"
for format in gif ico webp; do
  cp "$plugins/imageformats/libq$format.so" "$root/plugins/imageformats/"
done
for style in Regular Bold Italic BoldItalic; do
  cp "$fonts/LiberationSans-$style.ttf" "$root/fonts/"
done

listed() { grep -v -e '^#' -e '^$' "$1"; }
host_names=$(listed "$host_list")
carried_names=$(listed "$older_host_list")
installed() { realpath "$(ldconfig -p | awk -v n="$1" '$1 == n && /x86-64/ { print $NF; exit }')"; }
for name in $carried_names; do
  strip --strip-unneeded -o "$root/older-host/lib/$name" "$(installed "$name")"
done

missing=$(ldd "$root/tessalune" "$root"/plugins/*/*.so | grep 'not found' || true)
[ -z "$missing" ] || { echo "libraries not found: $missing" >&2; exit 1; }
ldd "$root/tessalune" "$root"/plugins/*/*.so "$root/older-host/lib/libfreetype.so.6" |
  awk '$2 == "=>" && $3 ~ /^\// { print $3 }' | sort -u | while read -r library; do
    grep -qxF "$(basename "$library")" <<<"$host_names" || cp -L "$library" "$root/lib/"
  done

# What the runtime takes from each host library: the symbol versions it asks for where the
# library defines versions, otherwise the symbols it uses that this machine's copy defines.
# The carried host libraries are checked only for what they take from the others.
needs() { # needs NAME: one "need NAME WHAT" line per thing the runtime takes from it
  local name=$1 path objects=("$root/tessalune" "$root"/lib/* "$root"/plugins/*/*.so)
  path=$(installed "$name")
  grep -qxF "$name" <<<"$carried_names" || objects+=("$root"/older-host/lib/*)
  if grep -q "^Version definition" <(readelf -V --wide "$path"); then
    readelf -V --wide "${objects[@]}" | awk -v n="$name" '
      $4 == "File:" { file = $5 } $2 == "Name:" && file == n { print $3 }'
  else
    comm -12 <(nm -D --undefined-only "${objects[@]}" 2>/dev/null | awk '{ print $2 }' |
                 grep -v @ | sort -u) \
             <(nm -D --defined-only "$path" | awk '{ print $3 }' | sed 's/@.*//' | sort -u)
  fi | sort -u | sed "s|^|need $name |"
}
{
  for name in $host_names; do
    package=$(listed "$host_packages" | awk -v n="$name" '$1 == n { print $2 }')
    [ -n "$package" ] || { echo "$host_packages names no package for $name" >&2; exit 1; }
    carried=$(grep -qxF "$name" <<<"$carried_names" && echo " carried" || true)
    echo "library $name $package$carried"
  done
  for name in $host_names; do needs "$name"; done
} >"$root.needs"

# Fixed names, order, owners and times: the same build gives the same bytes and hash.
tar --format=ustar --sort=name --owner=0 --group=0 --numeric-owner --mtime=@0 \
  -C "$root" -cf "$root.tar" tessalune lib plugins fonts older-host
zstd -q -f "-$level" --ultra -T0 "$root.tar" -o "$root.tar.zst"
le() { printf "%0$(($2 * 2))x" "$1" | sed 's/../& /g' | awk '{ for (i = NF; i > 0; --i) printf "\\x%s", $i }'; }
{
  printf "$(le 0x184D2A50 4)$(le "$(stat -c %s "$root.needs")" 4)"
  cat "$root.needs"
  cat "$root.tar.zst"
} >"$root.frames"
{
  cat "$root.stage"
  printf 'TSLRUN01'
  printf "$(le "$(stat -c %s "$root.frames")" 8)"
  printf "$(le "$(stat -c %s "$root.tar")" 8)"
  printf "$(sha256sum "$root.tar" | cut -c1-64 | sed 's/../\\x&/g')"
  cat "$root.frames"
} >"$output.part"
chmod 755 "$output.part"
mv "$output.part" "$output"
