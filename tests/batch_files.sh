#!/usr/bin/env bash
# Runs the zip's batch files under Wine as Explorer starts them, from an unzipped folder whose
# name holds spaces and Cyrillic letters: maps dropped on each (absolute names, quoted where they
# hold a space, the working folder elsewhere), then with no maps, as after a double-click.
# Standard input is at its end, so that the closing pause returns.
#
#   tests/batch_files.sh build/windows/lumvert-VERSION-win64.zip
set -euo pipefail
sample=$(realpath examples/sample.bsp)
zip=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export WINEPREFIX=$work/wineprefix WINEDEBUG=-all LC_ALL=C.UTF-8
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)

fail() {
  echo "batch files: $*" >&2
  exit 1
}

unzip -q "$zip" -d "$work"
folder="$work/lumvert карты v1"
mv "$work"/lumvert-*-win64 "$folder"
for text in "$folder"/*.txt "$folder"/*.bat; do
  [ "$(grep -c $'\r$' "$text")" = "$(wc -l <"$text")" ] || fail "$text has lines without CRLF"
done

# Dropped, with Explorer's working folder: a name with % is left to the double-click, as Wine's
# cmd expands a dropped name twice.
names=('plain.bsp' 'with space.bsp' 'map (1).bsp' 'bang!.bsp' "it's.bsp" 'a, b.bsp' 'a; b.bsp'
  'a = b.bsp' 'a & b.bsp' 'x^y z.bsp' 'карта.bsp' '地图.bsp')
mkdir "$folder/maps"
for name in "${names[@]}"; do cp "$sample" "$folder/maps/$name"; done
drop() {
  local way=$1 maps=() name
  shift
  for name; do maps+=("Z:${name//\//\\}"); done
  (cd "$folder/maps" && "$wine" cmd /c "..\\convert-to-$way.bat" "${maps[@]}" </dev/null) >"$work/said" 2>&1
  grep -q 'Press any key' "$work/said" || fail "convert-to-$way.bat did not wait: $(cat "$work/said")"
}
drop rtcw "${names[@]/#/$folder/maps/}" "$folder/maps/missing.bsp"
grep -qx 'failed: "Z:.*\\maps\\missing.bsp": Error opening file!' <(tr -d '\r' <"$work/said") ||
  fail "convert-to-rtcw.bat did not name the missing map: $(cat "$work/said")"
for name in "${names[@]}"; do
  cmp -s "$sample" "$folder/maps/$name" || fail "the source map $name changed"
  [ "$(cmp -l "$sample" "$folder/maps/rtcw/$name" | tr -s ' ')" = " 5 56 57" ] ||
    fail "convert-to-rtcw.bat did not convert $name"
done
drop q3a "${names[@]/#/$folder/maps/rtcw/}"
for name in "${names[@]}"; do
  cmp -s "$sample" "$folder/maps/rtcw/q3a/$name" || fail "convert-to-q3a.bat did not convert $name back"
done

# With no maps, every map beside the batch file, whatever the working folder.
for name in '100% done.bsp' 'карта.bsp' 'a & b.bsp'; do cp "$sample" "$folder/$name"; done
(cd "$folder/maps" && "$wine" cmd /c '..\convert-to-rtcw.bat' </dev/null) >"$work/said" 2>&1
for name in '100% done.bsp' 'карта.bsp' 'a & b.bsp'; do
  [ "$(cmp -l "$sample" "$folder/rtcw/$name" | tr -s ' ')" = " 5 56 57" ] ||
    fail "a double-click did not convert $name: $(cat "$work/said")"
done
echo "batch files: ${#names[@]} maps dropped on each batch file and 3 converted by a double-click"
