#!/usr/bin/env bash
# Times lumvert against plain copies of the same files in the same run, in two
# ways a map maker meets it:
# - one large map: a 256 MiB map converted by lumvert, copied by dd with 128K
#   blocks (a user-space copy, as lumvert is) and by cp (an in-kernel copy on
#   Linux); lumvert's peak memory is measured for a 1 MiB and a 256 MiB map;
# - a map pack: 50 maps of 0.5 to 6 MiB (128 MiB together), converted one
#   process a map, against cp copying the same maps one process a map, where
#   the start of each process counts as much as the copy.
# The maps live in RAM, so the disk is out of it.
#
#   bench/run.sh [path/to/lumvert]      (needs bash 5 and GNU time)
set -euo pipefail

lumvert=$(realpath "${1:-build/release/lumvert}")
runs=${RUNS:-15}
ram=/dev/shm
[ -d "$ram" ] && [ -w "$ram" ] || ram=${TMPDIR:-/tmp}
dir=$(mktemp -d "$ram/lumvert-bench.XXXXXX")
trap 'rm -rf "$dir"' EXIT

# A Q3A header followed by random bytes, $2 KiB in all.
make_map() {
  { printf 'IBSP\056\0\0\0'; head -c $(($2 * 1024 - 8)) /dev/urandom; } >"$1"
}
make_map "$dir/small.bsp" 1024
make_map "$dir/large.bsp" $((256 * 1024))

# Most maps of a pack are small and a few are large: sizes from 512 KiB to
# 6 MiB, spread as x^1.7 over 50 steps, come to 128 MiB together.
mkdir "$dir/pack" "$dir/pack-lumvert" "$dir/pack-cp"
for i in $(seq 0 49); do
  make_map "$dir/pack/map$i.bsp" "$(awk -v i="$i" 'BEGIN { print 512 + int(5632 * (i / 49) ^ 1.7) }')"
done
pack_mib=$(du -m --apparent-size -c "$dir"/pack/*.bsp | tail -1 | cut -f1)

# Wall time in seconds of one run of the command given.
seconds() {
  local start=$EPOCHREALTIME
  "$@" >/dev/null
  awk -v end="$EPOCHREALTIME" -v start="$start" 'BEGIN { print end - start }'
}

# The map pack, one process a map: $1 names the output folder, the rest is
# the command, which gets the source and the target.
each_map() {
  local out=$1 map
  shift
  for map in "$dir"/pack/*.bsp; do "$@" "$map" "$dir/pack-$out/${map##*/}"; done
}

# Rounds alternate the commands, so that a slower spell of the machine weighs
# on all of them alike; the first two rounds only warm up.
for round in $(seq -1 "$runs"); do
  l=$(seconds "$lumvert" "$dir/large.bsp" "$dir/lumvert.bsp")
  d=$(seconds dd if="$dir/large.bsp" of="$dir/dd.bsp" bs=128K status=none)
  c=$(seconds cp "$dir/large.bsp" "$dir/cp.bsp")
  pl=$(seconds each_map lumvert "$lumvert")
  pc=$(seconds each_map cp cp)
  [ "$round" -gt 0 ] && echo "$l $d $c $pl $pc" >>"$dir/times"
done

median() { cut -d' ' -f"$1" "$dir/times" | sort -g | sed -n "$(((runs + 1) / 2))p"; }

# The timed conversions must have been real ones: only byte 4 differs.
check_converted() {
  [ "$(cmp -l "$1" "$2" | tr -s ' ')" = " 5 56 57" ] ||
    { echo "bench: lumvert wrote a wrong map for $1" >&2; exit 1; }
}
check_converted "$dir/large.bsp" "$dir/lumvert.bsp"
for map in "$dir"/pack/*.bsp; do check_converted "$map" "$dir/pack-lumvert/${map##*/}"; done

# Peak resident set size in KiB, the median of 5 runs: a single run varies
# by a few pages with address-space layout.
peak_kib() {
  for _ in 1 2 3 4 5; do
    /usr/bin/time -f %M "$lumvert" "$dir/$1" "$dir/peak.bsp" 2>&1 >/dev/null
  done | sort -n | sed -n 3p
}

awk -v l="$(median 1)" -v d="$(median 2)" -v c="$(median 3)" -v pl="$(median 4)" \
  -v pc="$(median 5)" -v runs="$runs" -v mib="$pack_mib" \
  -v small="$(peak_kib small.bsp)" -v large="$(peak_kib large.bsp)" 'BEGIN {
  printf "256 MiB map, median of %d runs each:\n", runs
  printf "  lumvert      %8.1f ms\n", l * 1000
  printf "  dd bs=128K   %8.1f ms   lumvert/dd = %.3f\n", d * 1000, l / d
  printf "  cp           %8.1f ms   lumvert/cp = %.3f\n", c * 1000, l / c
  printf "50 maps, %d MiB, one process a map, median of %d runs each:\n", mib, runs
  printf "  lumvert      %8.1f ms\n", pl * 1000
  printf "  cp           %8.1f ms   lumvert/cp = %.3f\n", pc * 1000, pl / pc
  printf "peak resident memory of lumvert, median of 5 runs:\n"
  printf "  1 MiB map    %8d KiB\n", small
  printf "  256 MiB map  %8d KiB   difference %d KiB\n", large, large - small
}'
