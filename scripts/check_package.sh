#!/usr/bin/env bash
# Packaging check: builds the Debian package from a built folder, unpacks it into a scratch root
# and checks it as a desktop and a user meet it: the launcher entry and the AppStream data pass
# their validators, the package names the libraries' packages, the launcher starts an installed
# program, everything states one version, and the installed program makes a playable puzzle.
#   check_package.sh <build folder>
set -euo pipefail
build=$(realpath "$1")
repository=$(realpath "$(dirname "$0")/..")
picture=$repository/tests/fixtures/moonlit_hills_280x210.jpg
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

fail() {
  echo "check_package: $*" >&2
  exit 1
}

(cd "$build" && cpack -G DEB -B "$scratch/out")
package=$(echo "$scratch"/out/*.deb)
depends=$(dpkg-deb -f "$package" Depends)
[[ $depends == *libqt6widgets6* && $depends == *libjpeg62-turbo* ]] ||
  fail "the package's dependencies were not computed: '$depends'"

root=$scratch/root
dpkg -x "$package" "$root"
desktop=$(echo "$root"/usr/share/applications/*.desktop)
metainfo=$(echo "$root"/usr/share/metainfo/*.metainfo.xml)
desktop-file-validate "$desktop"
appstreamcli validate --no-net "$metainfo"
appstreamcli validate-tree --no-net "$root/usr"

# Every screenshot the software centre is pointed to is one of ours under the maker's address.
homepage=$(sed -n 's:.*<url type="homepage">\(.*\)</url>.*:\1:p' "$metainfo")
for image in $(sed -n 's:.*<image>\(.*\)</image>.*:\1:p' "$metainfo"); do
  [ -f "$repository/${image#"$homepage"/}" ] || fail "the screenshot $image is not in the repository"
done

program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[ -x "$root/usr/bin/$program" ] || fail "the launcher starts '$program', which is not installed"
icon=$(sed -n 's/^Icon=//p' "$desktop")
# The icon theme's rules: a 48 pixel icon at least, and the scalable one we draw.
for size in 48x48 scalable; do
  ls "$root/usr/share/icons/hicolor/$size/apps/$icon".* >/dev/null ||
    fail "no $size icon named '$icon'"
done

installed="$root/usr/bin/$program"
version=$("$installed" --version)
version=${version#tessalune }
grep -qx "X-Tessalune-Version=$version" "$desktop" || fail "the launcher entry is not of $version"
grep -q "<release version=\"$version\"" "$metainfo" || fail "the AppStream release is not $version"
[ "$(dpkg-deb -f "$package" Version)" = "$version" ] || fail "the package is not of $version"

# The installed program makes a puzzle and cuts it as the player would.
cd "$scratch"
"$installed" --make "$picture" puzzle.exe --cols 8 --rows 7 --name "Package check"
"$installed" --export-pieces puzzle.exe pieces
pieces=$(find pieces -name 'piece_r*_c*.png' | wc -l)
[ "$pieces" -eq 56 ] || fail "the made puzzle was cut into $pieces pieces instead of 56"

# It makes a portable puzzle with the program part the package installs (not stripped on the
# way), and that puzzle unpacks its runtime into the user's cache and cuts itself.
"$installed" --make "$picture" portable --cols 8 --rows 7 --portable
XDG_CACHE_HOME="$scratch/cache" ./portable --export-pieces portable portable-pieces
pieces=$(find portable-pieces -name 'piece_r*_c*.png' | wc -l)
[ "$pieces" -eq 56 ] || fail "the portable puzzle was cut into $pieces pieces instead of 56"
echo "check_package: $(basename "$package") installs, validates and runs"
