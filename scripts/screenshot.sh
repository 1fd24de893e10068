#!/usr/bin/env bash
# Takes docs/screenshot-main.png, the main window after a search over a
# small sample cache and the browsers' sample caches, docs/screenshot-about.png, the same window with its
# about box open, and docs/screenshot-maximised.png, the window maximised,
# in Wine's virtual desktop on a virtual display. Uses
# a prefix of its own, so tests running in the shared prefix are not
# disturbed (some of them clean its cache folder). With MORLIND_DPI set
# (e.g. 144) the pictures are taken at that DPI, in a prefix of that DPI.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
out="${1:-$root/docs/screenshot-main.png}"
about_out="${2:-$root/docs/screenshot-about.png}"
max_out="${3:-$root/docs/screenshot-maximised.png}"
build="${MORLIND_BUILD_DIR:-build/windows}"

scripts/install-deps.sh
cmake --preset windows -B "$build" >/dev/null
cmake --build "$build" -j "$(nproc)" --target Morlind press_button >/dev/null

export MORLIND_WINEPREFIX="$root/build/wineprefix-screenshot${MORLIND_DPI:+-dpi$MORLIND_DPI}"
screen=$((1024 * ${MORLIND_DPI:-96} / 96))x$((768 * ${MORLIND_DPI:-96} / 96))
source scripts/wine-env.sh
scripts/wine-prefix.sh
wineserver -w  # a server still ending from an earlier run of this prefix
# The C runtime would misread a Unix zone name (see TOOLCHAIN.md).
unset TZ

cache="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Microsoft/Windows/INetCache"
rm -rf "$cache/Content.IE5"
sample() {  # sample PATH 'ACCESS TIME' BYTES
  mkdir -p "$(dirname "$cache/$1")"
  head -c "$3" /dev/zero >"$cache/$1"
  touch -a -d "$2" "$cache/$1"
}
sample "Content.IE5/index.dat" '2008-09-26 09:58:02' 32768
sample "Content.IE5/0KZ3Q7WB/photo[1].jpg" '2008-09-26 10:02:45' 48213
sample "Content.IE5/0KZ3Q7WB/风景[1].jpg" '2008-09-26 10:03:10' 131072
sample "Content.IE5/0KZ3Q7WB/banner[2].swf" '2008-09-26 10:04:31' 20480
sample "Content.IE5/5MX8HD2R/song[1].mp3" '2008-09-25 21:40:09' 3481600
sample "Content.IE5/5MX8HD2R/clip[1].flv" '2008-09-25 21:41:56' 7340032
sample "Content.IE5/5MX8HD2R/style[1].css" '2008-09-25 21:42:00' 1800
sample "Content.IE5/9TB4VN6E/logo[3].gif" '2008-09-24 18:12:30' 3900
sample "Content.IE5/9TB4VN6E/theme[1].mid" '2008-09-24 18:13:05' 9000
# Chrome's, Edge's and Firefox's sample caches beside it.
scripts/sample-cache.sh >/dev/null

# Windows paths on drive Z: (the Unix root) without starting Wine here: a
# server started outside the virtual display would have no display.
winpath() { realpath "$1" | sed 's|^|Z:|; s|/|\\|g'; }
exe="$(winpath "$build/Morlind.exe")"
press="$(winpath "$build/press_button.exe")"
raw="$(mktemp --suffix=.png)"
raw_about="$(mktemp --suffix=.png)"
raw_max="$(mktemp --suffix=.png)"
trap 'rm -f "$raw" "$raw_about" "$raw_max"' EXIT

# Inside the virtual display: start the program in a virtual desktop,
# type jpg as the file type (1000) and press 搜索 (1001) from a second process in the same desktop, take the
# picture; open the about box (关于, 1008: posted, as it runs modally) and
# take the second one; close both windows.
xvfb-run -a -s "-screen 0 ${screen}x24" bash -c '
  set -e
  # A picture once the screen has stopped changing: painting may lag
  # behind the handled click.
  shot() {
    local previous="" current
    for _ in 1 2 3 4 5 6 7 8 9 10; do
      sleep 0.5
      import -window root "$1"
      current=$(convert "$1" rgb:- | md5sum)
      [ "$current" = "$previous" ] && return 0
      previous=$current
    done
  }
  wine explorer /desktop=shot,$5 "$1" &
  desktop=$!
  # A second explorer started while the first still creates the desktop
  # may never attach to it.
  sleep 5
  wine explorer /desktop=shot "$2" "Morlind V2.0" text:1000:jpg
  wine explorer /desktop=shot "$2" "Morlind V2.0" 1001
  shot "$3"
  wine explorer /desktop=shot "$2" "Morlind V2.0" post:1008
  wine explorer /desktop=shot "$2" "关于 Morlind V2.0" wait
  shot "$4"
  wine explorer /desktop=shot "$2" "关于 Morlind V2.0" close
  wine explorer /desktop=shot "$2" "Morlind V2.0" maximize
  shot "$6"
  wine explorer /desktop=shot "$2" "Morlind V2.0" close
  wait $desktop
' screenshot "$exe" "$press" "$raw" "$raw_about" "$screen" "$raw_max" 2> >(grep -v -e 'wine32' -e 'multiarch' -e 'dpkg --add' -e 'apt-get install' -e '^execute' >&2)

# Only the windows: the desktop around them is one plain colour.
mkdir -p "$(dirname "$out")" "$(dirname "$about_out")" "$(dirname "$max_out")"
convert "$raw" -trim +repage "$out"
convert "$raw_about" -trim +repage "$about_out"
convert "$raw_max" -trim +repage "$max_out"
echo "screenshot: $out $about_out $max_out"
