#!/usr/bin/env bash
# Runs the built lumvert where only the system can put it: started with standard streams closed,
# a target name that becomes a link to the source while lumvert opens it, a source that ends
# early or fails to close, a target that cannot be cut or fails to close, a target name that becomes
# standard output's file (strace holds or fails the system call), and an overlay, where the upper
# layer's file is the mounted one under a name no identity shows (a mount in a user namespace of
# its own); and lumvert-check, whose read fails, or whose map becomes a FIFO or its standard output
# as it opens it.
# Skipped (77) after the first where strace or such a namespace is missing.
#
#   tests/faults.sh path/to/lumvert path/to/lumvert-check
set -euo pipefail
lumvert=$(realpath "$1")
check=$(realpath "$2")
sample=$(realpath "$(dirname "$0")/../examples/sample.bsp")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
# Maps past the first 128 KiB block, so that converting one in place crosses the blocks that the
# kernel is asked to copy.
{ printf 'IBSP\056\0\0\0' && seq 40000; } >q3a.bsp
{ printf 'IBSP\057\0\0\0' && seq 40000; } >rtcw.bsp

fail() {
  echo "faults: $*" >&2
  exit 1
}

# Runs lumvert under the strace options given, and checks its status and last line.
expect() {
  local status=$1 said=$2 got=0
  shift 2
  strace -o /dev/null "$@" "$lumvert" map.bsp new.bsp >said 2>/dev/null || got=$?
  if [ "$got" != "$status" ] || [ "$(tail -n 1 said)" != "$said" ]; then
    fail "strace $*: status $got, said: $(tail -n 1 said)"
  fi
}

# Started with standard input and output closed, the maps must not take their numbers, and a
# name for a closed stream opens nothing: not the null device, not a map.
cp q3a.bsp map.bsp
"$lumvert" map.bsp new.bsp <&- >&- || fail "with standard input and output closed: status $?"
cmp -s new.bsp rtcw.bsp || fail "with standard input and output closed, the map was not converted"
got=0
"$lumvert" /dev/stdin new.bsp <&- >said || got=$?
if [ "$got" != 2 ] || [ "$(tail -n 1 said)" != 'Error opening file!' ]; then
  fail "a closed standard input as the source: status $got, said: $(tail -n 1 said)"
fi
cmp -s new.bsp rtcw.bsp || fail "a closed standard input as the source changed the target"
got=0
"$lumvert" map.bsp /dev/stdout >&- || got=$?
[ "$got" = 3 ] || fail "a closed standard output as the target: status $got"
rm new.bsp

if ! command -v strace >/dev/null || ! unshare -rm true 2>/dev/null; then
  echo "faults: the rest needs strace and unprivileged user namespaces"
  exit 77
fi

# The name is free when lumvert looks, and a link to the source by the time its open goes on.
(sleep 0.5 && ln -s map.bsp new.bsp) &
expect 3 'Source and target are the same file!' -P new.bsp -e trace=openat \
  -e inject=openat:delay_enter=1500000
wait
cmp -s q3a.bsp map.bsp || fail "the source changed in the race"
rm new.bsp

# The target's name is free when lumvert looks, and standard output's file by the time its open
# goes on: the map must not go into the texts.
(sleep 0.5 && ln said new.bsp) &
got=0
strace -o /dev/null -P new.bsp -e trace=openat -e inject=openat:delay_enter=1500000 "$lumvert" map.bsp \
  new.bsp >said 2>/dev/null || got=$?
wait
if [ "$got" != 3 ] || grep -q IBSP said; then fail "a target that became standard output: status $got"; fi
rm new.bsp

# A source whose reads end before its size (a file server gone, a file cut short) or whose close
# fails was not read whole.
expect 2 'Error reading file!' -P map.bsp -e trace=read -e inject=read:retval=0
expect 2 'Error reading file!' -P map.bsp -e trace=close -e inject=close:error=EIO

# A target no longer than the map is never cut, so a file system that cannot cut files (a FUSE
# one without truncate) still takes a whole map; a target's failed close is a failed write.
rm -f new.bsp
expect 0 '- load map in console with: \devmap mymap' -e trace=ftruncate -e inject=ftruncate:error=EIO
cmp -s new.bsp rtcw.bsp || fail "a new target was not converted where files cannot be cut"
expect 4 'Error during writing file!' -P new.bsp -e trace=close -e inject=close:error=EIO

# A check whose read fails reports no map as checked.
got=0
strace -o /dev/null -P "$sample" -e trace=pread64 -e inject=pread64:error=EIO "$check" --json "$sample" >said 2>&1 || got=$?
if [ "$got" != 2 ] || [ "$(tail -n 1 said)" != "{\"map\":\"$sample\",\"error\":\"cannot be read\"}" ]; then
  fail "a check whose read failed: status $got, said: $(cat said)"
fi

# A map that is a regular file when the check looks and a FIFO when it opens it is no map, and
# does not hold the check until a writer comes.
cp q3a.bsp fifo.bsp
(sleep 0.5 && rm fifo.bsp && mkfifo fifo.bsp) &
got=0
timeout 20 strace -o /dev/null -P fifo.bsp -e trace=openat -e inject=openat:delay_enter=1500000 \
  "$check" fifo.bsp >said 2>&1 || got=$?
wait
if [ "$got" != 2 ] || [ "$(tail -n 1 said)" != 'fifo.bsp: not a regular file' ]; then
  fail "a map become a FIFO: status $got, said: $(cat said)"
fi

# A map that becomes the check's standard output as it opens it takes no report.
cp q3a.bsp out.bsp
(sleep 0.5 && ln -f said out.bsp) &
got=0
strace -o /dev/null -P out.bsp -e trace=openat -e inject=openat:delay_enter=1500000 "$check" --json out.bsp \
  >said 2>/dev/null || got=$?
wait
if [ "$got" != 2 ] || [ -s said ]; then fail "a map become standard output: status $got, said: $(cat said)"; fi

# Converted in place, both ways, where the overlay shows one file under two identities. The
# names come into the namespace's shell as its arguments.
mkdir lower upper work merged
cp q3a.bsp lower/map.bsp
# shellcheck disable=SC2016
unshare -rm sh -c 'mount -t overlay overlay -o lowerdir=lower,upperdir=upper,workdir=work merged &&
  chmod 600 merged/map.bsp && "$1" merged/map.bsp upper/map.bsp >/dev/null &&
  cmp -s upper/map.bsp "$2" && "$1" -u upper/map.bsp merged/map.bsp >/dev/null &&
  cmp -s upper/map.bsp "$3"' sh "$lumvert" rtcw.bsp q3a.bsp ||
  fail "the overlay's map was not converted in place and back"
echo "faults: closed standard streams kept closed, both races refused, an early end and a failed close of the" \
  "source read failures, an uncut target converted, its failed close a write failure, an overlay's map converted" \
  "in place, a check's failed read, a map become a FIFO or standard output"
