#!/usr/bin/env bash
# Gives a first search something to find: when the internet-cache folder of
# our private Wine prefix is empty, fills it with a small sample cache laid
# out the way Internet Explorer keeps one (Content.IE5/<8 letters>/name[n].ext),
# last accessed at varied times over the past few days; and where a browser
# has no such profile yet, puts the caches the real browsers wrote for the
# tests at their Windows places (Chrome's block-file cache, its SQL cache
# in Profile 2, Edge's simple cache, Firefox's cache2). A cache folder that
# holds anything is left as it is, and so is any prefix outside build/.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"

prefix="$(realpath -m "$WINEPREFIX")"
case "$prefix/" in
  "$(realpath -m "$MORLIND_ROOT/build")/"?*) ;;
  *) echo "sample-cache: $WINEPREFIX is not a prefix of this project; left alone."; exit 0 ;;
esac
local="$prefix/drive_c/users/$(id -un)/AppData/Local"
samples="$MORLIND_ROOT/tests/data/caches"
place_browser_cache() {  # sample, profiles folder below AppData\Local, profile, cache folder below it
  local profiles="$local/$2"
  [ -d "$samples/$1" ] && [ ! -e "$profiles/$3" ] || return 0
  mkdir -p "$profiles/$3/$4"
  cp -R "$samples/$1/." "$profiles/$3/$4/"
  echo "sample-cache: put the sample $1 cache into $2/$3/$4."
}
place_browser_cache chromium-blockfile "Google/Chrome/User Data" Default Cache/Cache_Data
place_browser_cache chromium-simple "Microsoft/Edge/User Data" Default Cache/Cache_Data
place_browser_cache chromium-sql "Google/Chrome/User Data" "Profile 2" Cache/Cache_Data
place_browser_cache firefox "Mozilla/Firefox/Profiles" sample.default-release cache2

cache="$local/Microsoft/Windows/INetCache"
mkdir -p "$cache"
if [ -n "$(find "$cache" -mindepth 1 -print -quit)" ]; then
  exit 0
fi

folders=(0KZ3Q7WB 5MX8HD2R 9TB4VN6E H2CL6PQA)
names=(
  photo[1].jpg banner[2].swf clip[1].flv song[1].mp3 logo[3].gif style[1].css
  menu[1].js theme[1].mid intro[2].wmv voice[1].wma 风景[1].jpg header[1].gif
  avatar[2].jpg ad[4].swf trailer[1].flv news[1].css jquery[1].js beat[2].mp3
  thumb[5].jpg spacer[1].gif promo[3].swf lesson[1].wmv podcast[2].wma tune[1].mid
  gallery[7].jpg button[2].gif main[3].js layout[2].css game[1].swf 音乐[1].mp3
  icon[4].gif cover[2].jpg stats[1].js player[1].swf sample[1].wmv ring[1].mid
)
now=$(date +%s)
i=0
for name in "${names[@]}"; do
  file="$cache/Content.IE5/${folders[i % ${#folders[@]}]}/$name"
  mkdir -p "$(dirname "$file")"
  case "$name" in
    *.css) echo "body { margin: 0; font: 12px sans-serif; }" >"$file" ;;
    *.js) echo "var loaded = true;" >"$file" ;;
    *) head -c $((1024 + i * 731 % 20000)) /dev/zero >"$file" ;;
  esac
  # Spread over the last five days, a new one every few hours.
  touch -a -d "@$((now - 600 - i * 11317 % 432000))" "$file"
  i=$((i + 1))
done
head -c 16384 /dev/zero >"$cache/Content.IE5/index.dat"
touch -a -d "@$((now - 300))" "$cache/Content.IE5/index.dat"
echo "sample-cache: the Wine prefix's cache folder was empty; put ${#names[@]} sample files into it."
