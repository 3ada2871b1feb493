#!/usr/bin/env bash
# Times lumvert converting a 256 MiB map against two plain copies of the same
# file in the same run, dd with 128K blocks (a user-space copy, as lumvert is)
# and cp (an in-kernel copy on Linux), and measures lumvert's peak memory for
# a 1 MiB and a 256 MiB map. The maps live in RAM, so the disk is out of it.
#
#   bench/run.sh [path/to/lumvert]      (needs bash 5 and GNU time)
set -euo pipefail

lumvert=$(realpath "${1:-build/release/lumvert}")
runs=${RUNS:-15}
ram=/dev/shm
[ -d "$ram" ] && [ -w "$ram" ] || ram=${TMPDIR:-/tmp}
dir=$(mktemp -d "$ram/lumvert-bench.XXXXXX")
trap 'rm -rf "$dir"' EXIT

# A Q3A header followed by random bytes.
make_map() {
  { printf 'IBSP\056\0\0\0'; head -c $(($2 * 1024 * 1024 - 8)) /dev/urandom; } >"$dir/$1"
}
make_map small.bsp 1
make_map large.bsp 256

# Wall time in seconds of one run of the command given.
seconds() {
  local start=$EPOCHREALTIME
  "$@" >/dev/null
  awk -v end="$EPOCHREALTIME" -v start="$start" 'BEGIN { print end - start }'
}

# Rounds alternate the three commands, so that a slower spell of the machine
# weighs on all of them alike; the first two rounds only warm up.
for round in $(seq -1 "$runs"); do
  l=$(seconds "$lumvert" "$dir/large.bsp" "$dir/lumvert.bsp")
  d=$(seconds dd if="$dir/large.bsp" of="$dir/dd.bsp" bs=128K status=none)
  c=$(seconds cp "$dir/large.bsp" "$dir/cp.bsp")
  [ "$round" -gt 0 ] && echo "$l $d $c" >>"$dir/times"
done

median() { cut -d' ' -f"$1" "$dir/times" | sort -g | sed -n "$(((runs + 1) / 2))p"; }
lumvert_s=$(median 1) dd_s=$(median 2) cp_s=$(median 3)

# The timed conversion must have been the real one: only byte 4 differs.
[ "$(cmp -l "$dir/large.bsp" "$dir/lumvert.bsp" | tr -s ' ')" = " 5 56 57" ] ||
  { echo "bench: lumvert wrote a wrong map" >&2; exit 1; }

# Peak resident set size in KiB, the median of 5 runs: a single run varies
# by a few pages with address-space layout.
peak_kib() {
  for _ in 1 2 3 4 5; do
    /usr/bin/time -f %M "$lumvert" "$dir/$1" "$dir/peak.bsp" 2>&1 >/dev/null
  done | sort -n | sed -n 3p
}

awk -v l="$lumvert_s" -v d="$dd_s" -v c="$cp_s" -v runs="$runs" \
  -v small="$(peak_kib small.bsp)" -v large="$(peak_kib large.bsp)" 'BEGIN {
  printf "256 MiB map, median of %d runs each:\n", runs
  printf "  lumvert      %8.1f ms\n", l * 1000
  printf "  dd bs=128K   %8.1f ms   lumvert/dd = %.3f\n", d * 1000, l / d
  printf "  cp           %8.1f ms   lumvert/cp = %.3f\n", c * 1000, l / c
  printf "peak resident memory of lumvert, median of 5 runs:\n"
  printf "  1 MiB map    %8d KiB\n", small
  printf "  256 MiB map  %8d KiB   difference %d KiB\n", large, large - small
}'
