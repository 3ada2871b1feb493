#!/usr/bin/env bash
# Runs the zip's batch files under Wine as Explorer starts them, through a launcher that hands
# CreateProcess the one line cmd.exe /c ""BATCH" NAMES", each name quoted only where it holds a
# space, from an unzipped folder whose name holds spaces and Cyrillic letters. Maps with awkward
# names are dropped on each batch file, with what is no map among them; then a double-click, a
# folder without maps, a file where the folder must be, a crashing lumvert.exe, a missing one,
# maps dropped on each port batch file, and two windows at once. Standard input is at its end, so that the closing pause returns.
#
#   tests/batch_files.sh build/windows/lumvert-VERSION-win64.zip build/windows/tests/launch.exe
set -euo pipefail
sample=$(realpath examples/sample.bsp)
converted=$(realpath tests/converted.sh)
zip=$(realpath "$1")
launch=$(realpath "$2")
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

# Starts BATCH with the NAMES dropped on it, from the folder Explorer would, into the file $said.
explorer() {
  local batch=$1 line name
  shift
  line="cmd.exe /c \"\"Z:${batch//\//\\}\""
  for name; do
    name="Z:${name//\//\\}"
    if [[ $name == *' '* ]]; then line+=" \"$name\""; else line+=" $name"; fi
  done
  (cd "$work" && COMMAND_LINE="$line\"" "$wine" "$launch" </dev/null | tr -d '\r' >"$said") 2>&1
  grep -q 'Press any key' "$said" || fail "${batch##*/} did not wait: $(cat "$said")"
}

# The file $1 holds the line $2, where Wine's cmd writes each character that the console's code
# page lacks (Cyrillic here) as ?.
says() {
  grep -qxF "${2//[^ -~]/?}" "$1" || fail "no line '$2' in: $(cat "$1")"
}

# Each file named is the sample converted for RTCW.
became() {
  "$converted" "$sample" "$@" || fail "not converted: $*"
}

names=('plain.bsp' 'with space.bsp' 'map (1).bsp' 'bang!.bsp' "it's.bsp" 'a, b.bsp' 'a; b.bsp'
  'a = b.bsp' 'a & b.bsp' 'x^y z.bsp' 'карта.bsp' '地图.bsp' 'UPPER.BSP' '-x.bsp')
mkdir "$folder/maps" "$work/elsewhere" "$work/elsewhere/a folder"
for name in "${names[@]}"; do cp "$sample" "$folder/maps/$name"; done
cp "$sample" "$work/elsewhere/pack.pk3"
said=$work/rtcw.txt
explorer "$folder/convert-to-rtcw.bat" "${names[@]/#/$folder/maps/}" "$folder/maps/missing.bsp" \
  "$work/elsewhere/pack.pk3" "$work/elsewhere/a folder"
# The sample is a header with nothing in it, which no game loads.
verdict=': will not load in RTCW multiplayer: "SpawnEntities: no entities"; 0 of 0 entities will not appear'
for name in "${names[@]}"; do
  cmp -s "$sample" "$folder/maps/$name" || fail "the source map $name changed"
  became "$folder/maps/rtcw/$name"
  says "$said" "converted: \"Z:${folder//\//\\}\\maps\\$name\"$verdict"
  [ "$(head -n 1 "$folder/maps/rtcw/${name%.*}-check.txt" | tr -d '\r')" = "$name$verdict" ] ||
    fail "no report of $name beside its converted map"
done
# Names that differ only in what becomes ? are counted.
[ "$(grep -c '^converted: ' "$said")" = "${#names[@]}" ] || fail "not every map said converted: $(cat "$said")"
says "$said" "failed: \"Z:${folder//\//\\}\\maps\\missing.bsp\": the map is not there: Error opening file!"
says "$said" "skipped: \"Z:${work//\//\\}\\elsewhere\\pack.pk3\": not a .bsp map"
says "$said" "skipped: \"Z:${work//\//\\}\\elsewhere\\a folder\": not a .bsp map"
[ ! -e "$work/elsewhere/rtcw" ] || fail "a folder rtcw was made beside what is no map"
said=$work/q3a.txt
explorer "$folder/convert-to-q3a.bat" "${names[@]/#/$folder/maps/rtcw/}"
says "$said" "converted: \"Z:${folder//\//\\}\\maps\\rtcw\\plain.bsp\": will not load in Q3A: \"SpawnEntities: no entities\"; 0 of 0 entities will not appear"
for name in "${names[@]}"; do
  cmp -s "$sample" "$folder/maps/rtcw/q3a/$name" || fail "convert-to-q3a.bat did not convert $name back"
done

# A double-click: every map beside the batch file, whatever the working folder, and no n.bspx.
for name in 'bang! (2).bsp' 'карта.bsp' 'a & b.bsp' 'n.bspx'; do cp "$sample" "$folder/$name"; done
said=$work/double-click.txt
explorer "$folder/convert-to-rtcw.bat"
became "$folder/rtcw/"{'bang! (2).bsp','карта.bsp','a & b.bsp'}
[ ! -e "$folder/rtcw/n.bspx" ] || fail "a double-click converted n.bspx: $(cat "$said")"

# Each in a folder of its own with the batch file: no map; a file rtcw where the folder must be;
# a lumvert.exe that crashes (the launcher, with nothing to start, ends with -1); none at all.
for case in empty blocked crash missing; do
  mkdir "$work/$case"
  cp "$folder/convert-to-rtcw.bat" "$work/$case"
done
cp "$folder/lumvert.exe" "$work/empty"
cp "$folder/lumvert.exe" "$work/blocked"
cp "$sample" "$work/blocked/map.bsp"
touch "$work/blocked/rtcw"
cp "$launch" "$work/crash/lumvert.exe"
cp "$sample" "$work/crash/map.bsp"
said=$work/empty.txt
explorer "$work/empty/convert-to-rtcw.bat"
says "$said" "no .bsp maps in \"Z:${work//\//\\}\\empty\\\""
said=$work/blocked.txt
explorer "$work/blocked/convert-to-rtcw.bat" "$work/blocked/map.bsp"
says "$said" "failed: \"Z:${work//\//\\}\\blocked\\map.bsp\": a file rtcw stands where its folder must be: Error writing file!"
said=$work/crash.txt
explorer "$work/crash/convert-to-rtcw.bat" "$work/crash/map.bsp"
says "$said" "failed: \"Z:${work//\//\\}\\crash\\map.bsp\": lumvert.exe stopped with exit code -1"
said=$work/missing.txt
explorer "$work/missing/convert-to-rtcw.bat" "$work/missing/map.bsp"
says "$said" "lumvert.exe is missing: it must be in \"Z:${work//\//\\}\\missing\\\", beside this batch file."

# Ports: a map with entities, under awkward names, dropped on each port batch file with the sample,
# which has none; the script and the report go beside each ported map.
perl -e 'my @lumps = ("") x 17;
  $lumps[0] = join("\n", map { qq({ "classname" "$_" }) } qw(worldspawn weapon_shotgun info_player_deathmatch));
  my ($header, $body) = ("IBSP" . pack("V", 46), "");
  for (@lumps) { $header .= pack("VV", 144 + length $body, length); $body .= $_ }
  print $header, $body' >"$work/q3a.bsp"
ports=('plain.bsp' 'a & b.bsp' 'карта.bsp' '-x.bsp')
mkdir "$folder/ports"
for name in "${ports[@]}"; do cp "$work/q3a.bsp" "$folder/ports/$name"; done
cp "$sample" "$folder/ports/empty.bsp"
for game in rtcw et; do
  said=$work/port-$game.txt
  explorer "$folder/port-to-$game.bat" "${ports[@]/#/$folder/ports/}" "$folder/ports/empty.bsp"
  for name in "${ports[@]}"; do
    counts="1 renamed, 0 dropped" && [ $game = rtcw ] || counts="0 renamed, 1 dropped"
    says "$said" "ported: \"Z:${folder//\//\\}\\ports\\$name\": 3 entities, $counts, 1 added"
    for made in "$name" "${name%.bsp}.script" "${name%.bsp}-port.txt"; do
      [ -s "$folder/ports/$game/$made" ] || fail "no $game/$made beside the ported map: $(cat "$said")"
    done
  done
  says "$said" "failed: \"Z:${folder//\//\\}\\ports\\empty.bsp\": empty.bsp: it has no entities, which no game loads"
done

# Two windows at once, each with a map of its own.
for window in 1 2; do
  cp "$sample" "$folder/maps/window$window.bsp"
  said=$work/window$window.txt explorer "$folder/convert-to-rtcw.bat" "$folder/maps/window$window.bsp" &
done
wait
for window in 1 2; do
  says "$work/window$window.txt" "converted: \"Z:${folder//\//\\}\\maps\\window$window.bsp\"$verdict"
  became "$folder/maps/rtcw/window$window.bsp"
done
echo "batch files: ${#names[@]} maps dropped on each batch file with what is no map, a double-click," \
  "no map, a blocked folder, a crash, no lumvert.exe, ${#ports[@]} maps ported for each game and two windows at once"
