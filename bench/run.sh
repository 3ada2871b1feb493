#!/usr/bin/env bash
# Times the shipped Linux lumvert against cp, in one hyperfine run of pairs of commands:
# - one 1 MiB map, one process: the program's start;
# - a pack of 50 maps of 0.5 to 6 MiB (128 MiB), one process a map;
# - a 256 MiB map in RAM (TMPDIR names another folder than /dev/shm), and on XFS, which shares
#   blocks, where it can mount one (as root, with xfsprogs).
# - lumvert-check and lumvert-port, beside lumvert, on the 50 maps of Debian's openarena-081-maps,
#   one process a map, against cat and cp, where that package is installed.
# hyperfine stops at a command that fails; every copy is checked after, and the peak memory of
# lumvert for the 1 MiB and the 256 MiB map, and of lumvert-check and lumvert-port for a 1 GiB map,
# printed (GNU time, median of 5).
#
#   bench/run.sh [path/to/lumvert]    (default build/release/lumvert; RUNS=N timed runs, 30 unless set)
set -euo pipefail
lumvert=$(realpath "${1:-build/release/lumvert}")
converted=$(realpath "$(dirname "$0")/../tests/converted.sh")
work=$(mktemp -d "${TMPDIR:-/dev/shm}/lumvert-bench.XXXXXX")
trap 'umount "$work/xfs" 2>/dev/null; rm -rf "$work"' EXIT
make_map() { { printf 'IBSP\056\0\0\0'; head -c $(($2 * 1024 - 8)) /dev/urandom; } >"$1"; }

mkdir "$work/ram" "$work/ram/pack" "$work/ram/lumvert" "$work/ram/cp"
make_map "$work/ram/small.bsp" 1024
# Most maps of a pack are small and a few large: 512 KiB to 6 MiB as x^1.7.
for i in $(seq 0 49); do
  make_map "$work/ram/pack/map$i.bsp" "$(awk -v i="$i" 'BEGIN { print 512 + int(5632 * (i / 49) ^ 1.7) }')"
done
folders=("$work/ram")
if [ "$(id -u)" = 0 ] && command -v mkfs.xfs >/dev/null; then
  truncate -s 2G "$work/xfs.img" && mkfs.xfs -q -m reflink=1 "$work/xfs.img" && mkdir "$work/xfs" &&
    mount -o loop "$work/xfs.img" "$work/xfs" && folders+=("$work/xfs")
fi
# shellcheck disable=SC2016 # the loop's own variables, expanded by the bash that hyperfine starts
each='for map in "$0"/pack/*.bsp; do "$1" "$map" "$0/$2/${map##*/}" >/dev/null || exit 1; done'
commands=(-n "lumvert, 1 MiB map" "$lumvert $work/ram/small.bsp $work/ram/small-rtcw.bsp"
  -n "cp, 1 MiB map" "cp $work/ram/small.bsp $work/ram/small-cp.bsp"
  -n "lumvert, 50 maps" "bash -c '$each' $work/ram $lumvert lumvert"
  -n "cp, 50 maps" "bash -c '$each' $work/ram cp cp")
for folder in "${folders[@]}"; do
  make_map "$folder/large.bsp" $((256 * 1024))
  commands+=(-n "lumvert, 256 MiB map in ${folder##*/}" "$lumvert $folder/large.bsp $folder/large-rtcw.bsp"
    -n "cp, 256 MiB map in ${folder##*/}" "cp $folder/large.bsp $folder/large-cp.bsp")
done
check=$(dirname "$lumvert")/lumvert-check port=$(dirname "$lumvert")/lumvert-port
pack=/usr/share/games/openarena/baseoa/pak1-maps.pk3
if [ -f "$pack" ]; then
  mkdir "$work/oa" "$work/oa/pack" && unzip -q -j "$pack" 'maps/*.bsp' -d "$work/oa/pack"
  # shellcheck disable=SC2016 # as above; lumvert-check's status 1 says that a map differs
  every='for map in "$0"/pack/*.bsp; do "$1" "$map" >/dev/null; [ $? -le 1 ] || exit 1; done'
  mkdir "$work/oa/port" "$work/oa/cp"
  commands+=(-n "lumvert-check, 50 maps" "bash -c '$every' $work/oa $check"
    -n "cat, 50 maps" "bash -c '$every' $work/oa cat"
    -n "lumvert-port, 50 maps" "bash -c '$each' $work/oa $port port"
    -n "cp, 50 Q3A maps" "bash -c '$each' $work/oa cp cp")
fi
hyperfine -N --warmup 2 --runs "${RUNS:-30}" --export-markdown "$work/results.md" "${commands[@]}"

"$converted" "$work/ram/small.bsp" "$work/ram/small-rtcw.bsp"
for map in "$work"/ram/pack/*.bsp; do
  "$converted" "$map" "$work/ram/lumvert/${map##*/}" && cmp "$map" "$work/ram/cp/${map##*/}"
done
for folder in "${folders[@]}"; do
  "$converted" "$folder/large.bsp" "$folder/large-rtcw.bsp" && cmp "$folder/large.bsp" "$folder/large-cp.bsp"
done
peak_kib() {
  for _ in 1 2 3 4 5; do /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -n 1; done | sort -n | sed -n 3p
}
# A 1 GiB map: the sample's header, with lightmaps (lump 14) from byte 0x90 to the end.
cp "$(dirname "$converted")/../examples/sample.bsp" "$work/huge.bsp" && truncate -s 1G "$work/huge.bsp"
printf '\x90\0\0\0\x70\xff\xff\x3f' | dd of="$work/huge.bsp" bs=1 seek=120 conv=notrunc status=none
# The same with a world after it as its entities, for the port.
cp "$work/huge.bsp" "$work/huge-q3a.bsp" && printf '{ "classname" "worldspawn" }' >>"$work/huge-q3a.bsp"
printf '\0\0\0\x40\x1c\0\0\0' | dd of="$work/huge-q3a.bsp" bs=1 seek=8 conv=notrunc status=none
echo && cat "$work/results.md" && echo
echo "peak memory of $lumvert: $(peak_kib "$lumvert" "$work/ram/small.bsp" "$work/peak.bsp") KiB for a 1 MiB map," \
  "$(peak_kib "$lumvert" "$work/ram/large.bsp" "$work/peak.bsp") KiB for the 256 MiB map;" \
  "of $check: $(peak_kib "$check" "$work/huge.bsp") KiB for a 1 GiB map;" \
  "of $port: $(peak_kib "$port" "$work/huge-q3a.bsp" "$work/huge-rtcw.bsp") KiB for it"
