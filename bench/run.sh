#!/usr/bin/env bash
# Times each lumvert named with hyperfine against plain copies of the same files, in the same run:
# - one 1 MiB map, one process: the start of the program, against cp;
# - a 256 MiB map, converted over an existing target, against dd with 128K blocks (a copy through
#   the process, as on Windows) and cp (a copy in the kernel), in RAM and, where it can mount one
#   (as root, with xfsprogs), on XFS, which shares blocks;
# - a pack of 50 maps of 0.5 to 6 MiB, one process a map, against cp, one process a map;
# - each lumvert's peak memory for a 1 MiB and the 256 MiB map (GNU time, median of 5).
# hyperfine stops at a command that fails, and every copy is checked after.
#
#   bench/run.sh [path/to/lumvert ...]      (RUNS=N timed runs, 15 unless set; 20 times as many
#                                            for the one small map)
set -euo pipefail
die() {
  echo "bench: $*" >&2
  exit 1
}
programs=()
for program in "${@:-build/release/static/lumvert}"; do
  [ -x "$program" ] || die "no program at $program: build it with cmake --workflow --preset release"
  programs+=("$(realpath "$program")")
done
work=$(mktemp -d "${TMPDIR:-/dev/shm}/lumvert-bench.XXXXXX")
trap 'umount "$work/xfs" 2>/dev/null; rm -rf "$work"' EXIT
runs=${RUNS:-15}
timed() { hyperfine -N --warmup "$2" --runs "$3" --export-markdown "$work/$1.md" "${@:4}"; }
make_map() { { printf 'IBSP\056\0\0\0'; head -c $(($2 * 1024 - 8)) /dev/urandom; } >"$1"; }
converted() { [ "$(cmp -l "$1" "$2" | tr -s ' ')" = " 5 56 57" ] || die "lumvert wrote $2 wrongly"; }
# Sets `commands` to hyperfine's commands that convert $1 with every lumvert, each into $2.N.
lumverts() {
  local i
  commands=()
  for i in "${!programs[@]}"; do commands+=(-n "${programs[i]}" "${programs[i]} $1 $2.$i"); done
}
# Every lumvert's $2.N is $1 converted.
all_converted() {
  local i
  for i in "${!programs[@]}"; do converted "$1" "$2.$i"; done
}

mkdir "$work/ram" "$work/pack" "$work/cp"
make_map "$work/small.bsp" 1024
lumverts "$work/small.bsp" "$work/small-rtcw"
timed "1 MiB map in RAM, one process" 20 $((runs * 20)) "${commands[@]}" \
  -n cp "cp $work/small.bsp $work/small-cp.bsp"
all_converted "$work/small.bsp" "$work/small-rtcw"

# The large map in folder $1, named $2 in the results.
large_map() {
  make_map "$1/large.bsp" $((256 * 1024))
  lumverts "$1/large.bsp" "$1/over"
  timed "$2" 2 "$runs" "${commands[@]}" -n "dd bs=128K" "dd if=$1/large.bsp of=$1/dd.bsp bs=128K status=none" \
    -n cp "cp $1/large.bsp $1/cp.bsp"
  all_converted "$1/large.bsp" "$1/over"
  cmp "$1/large.bsp" "$1/dd.bsp" && cmp "$1/large.bsp" "$1/cp.bsp"
}
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
pack=()
for i in "${!programs[@]}"; do
  mkdir "$work/lumvert.$i"
  pack+=(-n "${programs[i]}" "bash -c '$each' $work ${programs[i]} lumvert.$i")
done
timed "50 maps in RAM, one process a map" 2 "$runs" "${pack[@]}" -n cp "bash -c '$each' $work cp cp"
for map in "$work"/pack/*.bsp; do
  cmp "$map" "$work/cp/${map##*/}"
  for i in "${!programs[@]}"; do converted "$map" "$work/lumvert.$i/${map##*/}"; done
done

peak_kib() {
  for _ in 1 2 3 4 5; do /usr/bin/time -f %M "$1" "$2" "$work/peak.bsp" 2>&1 >/dev/null; done |
    sort -n | sed -n 3p
}
for table in "$work"/*.md; do printf '\n%s\n\n' "$(basename "$table" .md)" && cat "$table"; done
echo
for program in "${programs[@]}"; do
  echo "peak memory of $program: $(peak_kib "$program" "$work/small.bsp") KiB for a 1 MiB map," \
    "$(peak_kib "$program" "$work/ram/large.bsp") KiB for the 256 MiB map"
done
