#!/usr/bin/env bash
# Runs a built or installed lumvert, after the words of an emulator if any, on the sample map:
# converted to RTCW and back, with the success text, and refused as its own target or as the file
# that standard output goes to, which takes no text. The CTest test, and the .deb's autopkgtest.
#
#   tests/converts_sample.sh [EMULATOR...] LUMVERT     (a full path, or a name on PATH)
set -euo pipefail
tests=$(dirname "$(realpath "$0")")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
cp "$tests/../examples/sample.bsp" map.bsp

fail() {
  echo "converts_sample: $*" >&2
  exit 1
}
# Runs lumvert with the arguments given, and checks its status $1 and its last line $2.
expect() {
  local status=$1 line=$2 got=0
  shift 2
  "${lumvert[@]}" "$@" >said || got=$?
  if [ "$got" != "$status" ] || [ "$(tail -n 1 said | tr -d '\r')" != "$line" ]; then
    fail "lumvert $*: status $got, said: $(cat said)"
  fi
}
lumvert=("$@")
expect 0 '- load map in console with: \devmap mymap' map.bsp карта_rtcw.bsp
"$tests/converted.sh" map.bsp карта_rtcw.bsp
expect 0 '- load map in console with: \devmap mymap' -u карта_rtcw.bsp q3a.bsp
cmp map.bsp q3a.bsp || fail "the map converted back is not the sample"
expect 3 'Source and target are the same file!' map.bsp ./map.bsp
got=0
# shellcheck disable=SC2094 # the point: the target is where standard output goes
"${lumvert[@]}" map.bsp out.bsp >out.bsp || got=$?
if [ "$got" != 3 ] || [ -s out.bsp ]; then
  fail "lumvert map.bsp out.bsp >out.bsp: status $got, out.bsp: $(cat out.bsp)"
fi
cmp map.bsp "$tests/../examples/sample.bsp" || fail "the sample changed"
echo "converts_sample: converted both ways, the map itself and standard output refused as targets"
