#!/usr/bin/env bash
# Times lumvert against plain copies of the same files in the same run, in two
# ways a map maker meets it:
# - one large map: a 256 MiB map converted by lumvert, copied by dd with 128K
#   blocks (a copy through the process, as on Windows) and by cp (a copy in the
#   kernel, which shares the blocks where the file system can), in /dev/shm
#   and in each folder named after the program (an XFS or Btrfs mount, say);
# - a map pack: 50 maps of 0.5 to 6 MiB (128 MiB together), converted one
#   process a map, against cp copying the same maps one process a map, where
#   the start of each process counts as much as the copy.
# It also measures lumvert's peak memory for a 1 MiB and the 256 MiB map.
# Every timed command must succeed and every copy must be right, or the
# benchmark stops with a message.
#
#   bench/run.sh [path/to/lumvert [folder...]]      (needs bash 5 and GNU time)
set -euo pipefail

die() {
  echo "bench: $*" >&2
  exit 1
}

lumvert=$(realpath "${1:-build/release/lumvert}")
[ -x "$lumvert" ] || die "no program at $lumvert: build it with cmake --workflow --preset release"
shift $(($# > 0))
runs=${RUNS:-15}
ram=/dev/shm
[ -d "$ram" ] && [ -w "$ram" ] || ram=${TMPDIR:-/tmp}

# The large map and its three copies, and in RAM also three copies of the pack.
echo "bench: needs 1410 MiB free in $ram and 1030 MiB in each other folder"
room() {
  local free
  free=$(df -Pm "$1" | awk 'NR == 2 { print $4 }')
  [ "$free" -ge "$2" ] || die "$1 has $free MiB free, and the benchmark needs $2 MiB there"
}
room "$ram" 1410
for folder in "$@"; do room "$folder" 1030; done

made=()
trap 'rm -rf "${made[@]}"' EXIT
workspace() {
  made+=("$(mktemp -d "$1/lumvert-bench.XXXXXX")")
}

# A Q3A header followed by random bytes, $2 KiB in all.
make_map() {
  { printf 'IBSP\056\0\0\0'; head -c $(($2 * 1024 - 8)) /dev/urandom; } >"$1"
}

# Wall time in seconds of one run of the command given.
seconds() {
  local start=$EPOCHREALTIME
  "$@" >/dev/null || die "the timed command $* failed"
  awk -v end="$EPOCHREALTIME" -v start="$start" 'BEGIN { print end - start }'
}

# The timed commands must have made right copies: lumvert's differ in byte 4 alone.
check_converted() {
  [ "$(cmp -l "$1" "$2" | tr -s ' ')" = " 5 56 57" ] || die "lumvert wrote a wrong map for $1"
}
check_copied() {
  cmp -s "$1" "$2" || die "$2 is no copy of $1"
}

# Rounds alternate the commands (functions), so that a slower spell of the
# machine weighs on all of them alike; the first two rounds only warm up. Each
# command's seconds make one column of the file given.
rounds() {
  local times=$1 round command line
  shift
  for round in $(seq -1 "$runs"); do
    line=""
    for command in "$@"; do line+="$(seconds "$command") "; done
    if [ "$round" -gt 0 ]; then echo "$line" >>"$times"; fi
  done
}

median() { cut -d' ' -f"$2" "$1" | sort -g | sed -n "$(((runs + 1) / 2))p"; }

large_lumvert() { "$lumvert" "$dir/large.bsp" "$dir/lumvert.bsp"; }
large_dd() { dd if="$dir/large.bsp" of="$dir/dd.bsp" bs=128K status=none; }
large_cp() { cp "$dir/large.bsp" "$dir/cp.bsp"; }

large_map() {
  workspace "$1"
  dir=${made[-1]}
  make_map "$dir/large.bsp" $((256 * 1024))
  rounds "$dir/times" large_lumvert large_dd large_cp
  check_converted "$dir/large.bsp" "$dir/lumvert.bsp"
  check_copied "$dir/large.bsp" "$dir/dd.bsp"
  check_copied "$dir/large.bsp" "$dir/cp.bsp"
  awk -v l="$(median "$dir/times" 1)" -v d="$(median "$dir/times" 2)" \
    -v c="$(median "$dir/times" 3)" -v runs="$runs" -v where="$1" 'BEGIN {
    printf "256 MiB map in %s, median of %d runs each:\n", where, runs
    printf "  lumvert      %8.1f ms\n", l * 1000
    printf "  dd bs=128K   %8.1f ms   lumvert/dd = %.3f\n", d * 1000, l / d
    printf "  cp           %8.1f ms   lumvert/cp = %.3f\n", c * 1000, l / c
  }'
}

# The map pack, one process a map: $1 names the output folder, the rest is
# the command, which gets the source and the target.
each_map() {
  local out=$1 map
  shift
  for map in "$pack"/pack/*.bsp; do "$@" "$map" "$pack/pack-$out/${map##*/}" || return; done
}

pack_lumvert() { each_map lumvert "$lumvert"; }
pack_cp() { each_map cp cp; }

# Most maps of a pack are small and a few are large: sizes from 512 KiB to
# 6 MiB, spread as x^1.7 over 50 steps, come to 128 MiB together.
map_pack() {
  workspace "$ram"
  pack=${made[-1]}
  mkdir "$pack/pack" "$pack/pack-lumvert" "$pack/pack-cp"
  for i in $(seq 0 49); do
    make_map "$pack/pack/map$i.bsp" "$(awk -v i="$i" 'BEGIN { print 512 + int(5632 * (i / 49) ^ 1.7) }')"
  done
  rounds "$pack/times" pack_lumvert pack_cp
  for map in "$pack"/pack/*.bsp; do
    check_converted "$map" "$pack/pack-lumvert/${map##*/}"
    check_copied "$map" "$pack/pack-cp/${map##*/}"
  done
  awk -v l="$(median "$pack/times" 1)" -v c="$(median "$pack/times" 2)" -v runs="$runs" \
    -v mib="$(du -m --apparent-size -c "$pack"/pack/*.bsp | tail -1 | cut -f1)" 'BEGIN {
    printf "50 maps, %d MiB, in RAM, one process a map, median of %d runs each:\n", mib, runs
    printf "  lumvert      %8.1f ms\n", l * 1000
    printf "  cp           %8.1f ms   lumvert/cp = %.3f\n", c * 1000, l / c
  }'
}

# Peak resident set size in KiB, the median of 5 runs: a single run varies
# by a few pages with address-space layout.
peak_kib() {
  for _ in 1 2 3 4 5; do
    /usr/bin/time -f %M "$lumvert" "$1" "$2" 2>&1 >/dev/null || die "failed: $lumvert $1 $2"
  done | sort -n | sed -n 3p
}

large_map "$ram"
for folder in "$@"; do large_map "$folder"; done
map_pack
make_map "$pack/small.bsp" 1024
small=$(peak_kib "$pack/small.bsp" "$pack/small-lumvert.bsp")
large=$(peak_kib "${made[0]}/large.bsp" "${made[0]}/lumvert.bsp")
awk -v small="$small" -v large="$large" 'BEGIN {
  printf "peak resident memory of lumvert, median of 5 runs:\n"
  printf "  1 MiB map    %8d KiB\n", small
  printf "  256 MiB map  %8d KiB   difference %d KiB\n", large, large - small
}'
