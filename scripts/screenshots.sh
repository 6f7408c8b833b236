#!/usr/bin/env bash
# Makes the README's screenshots on a virtual X server. Run by hand when the windows change;
# CI never runs it.
#   screenshots.sh [build folder]   the folder of a built program (default build-release, as
#                                   left by `tessalune.sh run`)
#
#   docs/screenshot-wizard.png   the maker's wizard, as the program starts plain
#   docs/screenshot-editor.png   the picture editor of Step 1, with a picture pasted into it
#   docs/screenshot-game.png     a puzzle made with --make and started, pieces on its desktop
#
# Needs Xvfb, xdotool, xclip and ImageMagick (Debian packages xvfb, xdotool, xclip, imagemagick).
# A window that does not appear is reported, its screenshot is left as it was, and the script
# fails.
set -euo pipefail
cd "$(dirname "$0")/.."

program=$(realpath "${1:-build-release}/src/app/tessalune")
mkdir -p docs
docs=$(realpath docs)
work=$(mktemp -d)

# The programs started here keep their relocation copies and settings out of the user's folders.
export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"

running="" xvfb=""
stop_running() {
  if [ -n "$running" ]; then
    kill "$running" 2>/dev/null || true
    wait "$running" 2>/dev/null || true
  fi
  running=""
}
finish() {
  stop_running
  [ -z "$xvfb" ] || kill "$xvfb"
  rm -rf "$work"
}
trap finish EXIT

# Our own X server on a display number it picks itself, so that several people taking
# screenshots at once never share one.
Xvfb -displayfd 5 -screen 0 1280x800x24 -nolisten tcp 5>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || { echo "screenshots: Xvfb did not start" >&2 && exit 1; }
export DISPLAY=:$(cat "$work/display")
unset XAUTHORITY

# A moonlit landscape, the same on every run: many shapes and colours, so pieces differ.
make_picture() { # make_picture <file>
  local stars=() i x y
  RANDOM=7
  for i in $(seq 70); do
    x=$((RANDOM % 800)) y=$((RANDOM % 300))
    stars+=(-draw "circle $x,$y $x,$((y + 1 + RANDOM % 2))")
  done
  convert -size 800x600 gradient:'#0e1a40'-'#e59a62' \
    -fill '#fffbe8' "${stars[@]}" \
    -fill '#fff4cc50' -draw "circle 600,140 600,215" \
    -fill '#fff4cc' -draw "circle 600,140 600,195" \
    -fill '#3d5a80' -draw "ellipse 150,520 380,200 0,360" \
    -fill '#2f6b4f' -draw "ellipse 700,560 360,190 0,360" \
    -fill '#24553e' -draw "ellipse 300,640 520,170 0,360" \
    -fill '#1b3f2e' -draw "polygon 90,470 120,380 150,470" -draw "polygon 130,480 165,360 200,480" \
    -draw "polygon 640,450 665,370 690,450" -draw "polygon 675,455 705,350 735,455" \
    -fill '#6b3b2a' -draw "rectangle 420,430 500,490" \
    -fill '#3a2018' -draw "polygon 410,432 460,390 510,432" \
    -fill '#ffd36b' -draw "rectangle 440,450 458,468" -draw "rectangle 470,450 488,468" \
    -fill '#5d8fc4' -draw "ellipse 560,585 170,28 0,360" \
    -quality 90 "$1"
}

# Prints the id of the first visible window whose name matches, waiting up to the given seconds.
wait_window() { # wait_window <name pattern> <seconds>
  local i id
  for ((i = 0; i < $2 * 10; i++)); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)
    [ -n "$id" ] && echo "$id" && return 0
    sleep 0.1
  done
  echo "screenshots: no window named '$1' appeared" >&2
  return 1
}

click() { # click <window> <x> <y>, in the window's own coordinates
  xdotool mousemove --window "$1" "$2" "$3" click 1
}

# Drags with the left button in steps, so that the program sees a move and not a jump.
drag() { # drag <x> <y> <to x> <to y>, in screen coordinates
  local step
  xdotool mousemove "$1" "$2" sleep 0.2 mousedown 1 sleep 0.2
  for step in 1 2 3 4 5; do
    xdotool mousemove $(($1 + ($3 - $1) * step / 5)) $(($2 + ($4 - $2) * step / 5)) sleep 0.05
  done
  xdotool sleep 0.2 mouseup 1 sleep 0.4
}

pixel() { # pixel <window> <x> <y>: the colour there as #RRGGBB
  import -window "$1" -crop "1x1+$2+$3" -depth 8 txt:- | grep -o '#[0-9A-F]\{6\}' | head -n 1
}

window_width() { # window_width <window>
  xdotool getwindowgeometry --shell "$1" | sed -n 's/^WIDTH=//p'
}

# A puzzle made on the command line and played: pieces taken from the palette onto the desktop.
game_shot() {
  mkdir "$work/game"
  (cd "$work/game" && "$program" --make "$work/picture.jpg" puzzle.exe --cols 9 --rows 7 \
    --seed 7 --name "Moonlit hills" --author "Tessalune") || return 1
  "$work/game/puzzle.exe" &
  running=$!
  wait_window '^Tools$' 30 >/dev/null || return 1
  sleep 1
  # The palette's first place is at 121, 137 of the maximised play window.
  local x y
  for y in 140 320 500 680; do
    for x in 310 490 670; do
      drag 121 137 "$x" "$y"
    done
  done
  xdotool mousemove 1000 700 sleep 0.5
  import -window root "$docs/screenshot-game.png" || return 1
  stop_running
}

# The maker started plain shows its wizard; Step 1 opens the picture editor.
maker_shots() {
  mkdir -p "$work/maker/bin"
  cp "$program" "$work/maker/bin/tessalune"
  "$work/maker/bin/tessalune" &
  running=$!
  local main editor sure
  main=$(wait_window '^Tessalune$' 15) || return 1
  sleep 1
  # The wizard's banner band is dark blue; without it the window is not the wizard yet.
  if [ "$(pixel "$main" 404 60)" != "#004080" ]; then
    echo "screenshots: the main window shows no wizard" >&2
    return 1
  fi
  import -window "$main" "$docs/screenshot-wizard.png" || return 1

  # Step 1's title in the page's bottom band (the page sits at 4, 28 in the window).
  click "$main" 480 374
  editor=$(wait_window '^Source picture$' 10) || return 1
  sleep 0.5
  # The picture comes from the clipboard, which xclip serves until this X server ends: typing a
  # path into the file dialog leaves its completion list drawn over the editor.
  xclip -selection clipboard -t image/png -i "$work/picture-small.png" 2>/dev/null
  # "Paste from clipboard", second in the editor's right-hand command column, then Yes.
  click "$editor" $(($(window_width "$editor") - 176 + 91)) 47
  sure=$(wait_window '^Confirmation$' 10) || return 1
  click "$sure" 116 150
  sleep 1
  import -window "$editor" "$docs/screenshot-editor.png" || return 1
  stop_running
}

make_picture "$work/picture.jpg"
convert "$work/picture.jpg" -resize 50% "$work/picture-small.png"
failed=0
game_shot || { failed=1 && stop_running; }
maker_shots || { failed=1 && stop_running; }
exit $failed
