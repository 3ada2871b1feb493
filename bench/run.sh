#!/usr/bin/env bash
# Times lumvert with hyperfine against plain copies of the same files, in the same run:
# - a 256 MiB map, converted over an existing target and over one emptied first, against dd with
#   128K blocks (a copy through the process, as on Windows) and cp (a copy in the kernel), in RAM
#   and, where it can mount one (as root, with xfsprogs), on XFS, which shares blocks;
# - a pack of 50 maps of 0.5 to 6 MiB, one process a map, against cp, one process a map;
# - lumvert's peak memory for a 1 MiB and the 256 MiB map (GNU time, median of 5).
# hyperfine stops at a command that fails, and every copy is checked after.
#
#   bench/run.sh [path/to/lumvert]      (RUNS=N timed runs, 15 unless set)
set -euo pipefail
die() {
  echo "bench: $*" >&2
  exit 1
}
lumvert=$(realpath "${1:-build/release/static/lumvert}")
[ -x "$lumvert" ] || die "no program at $lumvert: build it with cmake --workflow --preset release"
work=$(mktemp -d "${TMPDIR:-/dev/shm}/lumvert-bench.XXXXXX")
trap 'umount "$work/xfs" 2>/dev/null; rm -rf "$work"' EXIT
timed() { hyperfine -N --warmup 2 --runs "${RUNS:-15}" --export-markdown "$work/$1.md" "${@:2}"; }
make_map() { { printf 'IBSP\056\0\0\0'; head -c $(($2 * 1024 - 8)) /dev/urandom; } >"$1"; }
converted() { [ "$(cmp -l "$1" "$2" | tr -s ' ')" = " 5 56 57" ] || die "lumvert wrote $2 wrongly"; }

# The large map in folder $1, named $2 in the results.
large_map() {
  make_map "$1/large.bsp" $((256 * 1024))
  timed "$2" --prepare true --prepare "truncate -s 0 $1/emptied.bsp" --prepare true --prepare true \
    -n "lumvert over an old target" "$lumvert $1/large.bsp $1/over.bsp" \
    -n "lumvert, target emptied first" "$lumvert $1/large.bsp $1/emptied.bsp" \
    -n "dd bs=128K" "dd if=$1/large.bsp of=$1/dd.bsp bs=128K status=none" \
    -n "cp" "cp $1/large.bsp $1/cp.bsp"
  converted "$1/large.bsp" "$1/over.bsp"
  converted "$1/large.bsp" "$1/emptied.bsp"
  cmp "$1/large.bsp" "$1/dd.bsp" && cmp "$1/large.bsp" "$1/cp.bsp"
}

mkdir "$work/ram" "$work/pack" "$work/lumvert" "$work/cp"
large_map "$work/ram" "256 MiB map in RAM"
if [ "$(id -u)" = 0 ] && command -v mkfs.xfs >/dev/null; then
  truncate -s 2G "$work/xfs.img" && mkfs.xfs -q -m reflink=1 "$work/xfs.img" && mkdir "$work/xfs"
  mount -o loop "$work/xfs.img" "$work/xfs" && large_map "$work/xfs" "256 MiB map on XFS"
fi

# Most maps of a pack are small and a few large: 512 KiB to 6 MiB as x^1.7, 128 MiB in all.
for i in $(seq 0 49); do
  make_map "$work/pack/map$i.bsp" "$(awk -v i="$i" 'BEGIN { print 512 + int(5632 * (i / 49) ^ 1.7) }')"
done
# shellcheck disable=SC2016 # the loop's own variables, expanded by the bash that hyperfine starts
each='for map in "$0"/pack/*.bsp; do "$1" "$map" "$0/$2/${map##*/}" >/dev/null || exit 1; done'
timed "50 maps in RAM, one process a map" \
  -n lumvert "bash -c '$each' $work $lumvert lumvert" -n cp "bash -c '$each' $work cp cp"
for map in "$work"/pack/*.bsp; do
  converted "$map" "$work/lumvert/${map##*/}" && cmp "$map" "$work/cp/${map##*/}"
done

peak_kib() {
  for _ in 1 2 3 4 5; do /usr/bin/time -f %M "$lumvert" "$1" "$work/peak.bsp" 2>&1 >/dev/null; done |
    sort -n | sed -n 3p
}
make_map "$work/small.bsp" 1024
for table in "$work"/*.md; do printf '\n%s\n\n' "$(basename "$table" .md)" && cat "$table"; done
echo
echo "peak memory: $(peak_kib "$work/small.bsp") KiB for a 1 MiB map," \
  "$(peak_kib "$work/ram/large.bsp") KiB for the 256 MiB map"
