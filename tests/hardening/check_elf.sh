#!/bin/sh
# Checks a Linux executable for the release build's hardening:
#   - a position-independent executable (ELF type DYN with the PIE flag), so it loads at a
#     random address;
#   - full RELRO: a GNU_RELRO segment and immediate binding (BIND_NOW), so no relocation is left
#     writable once main runs;
#   - stack canaries in zerudud's own code (calls to __stack_chk_fail);
#   - with --static: nothing loaded at run time (no program interpreter, no NEEDED library).
# The checked calls that _FORTIFY_SOURCE put in (__*_chk) are listed; there may be none, since
# a call gets its check only where the size of the target buffer is known at compile time and
# the length is not.
#
# Usage: check_elf.sh [--static] EXECUTABLE [OWN_CODE...]
# OWN_CODE are the archives or objects of zerudud's own code. A static executable holds the C
# library too, whose own canaries prove nothing about ours, so the symbol checks look at OWN_CODE
# when it is given and at the executable otherwise.
set -eu

static=no
if [ "${1:-}" = --static ]; then
  static=yes
  shift
fi
if [ $# -lt 1 ]; then
  echo "usage: check_elf.sh [--static] EXECUTABLE [OWN_CODE...]" >&2
  exit 2
fi
exe=$1
shift
[ $# -gt 0 ] || set -- "$exe"

failures=0
fail() {
  echo "FAIL: $exe: $1"
  failures=$((failures + 1))
}

header=$(readelf -hW "$exe")
segments=$(readelf -lW "$exe")
dynamic=$(readelf -dW "$exe")
undefined=$(nm -u "$@" 2>/dev/null | awk '{ print $NF }' | sed 's/@.*//' | sort -u)

echo "$header" | grep -Eq 'Type:[[:space:]]+DYN' ||
  fail "not position independent (ELF type $(echo "$header" | sed -n 's/.*Type:[[:space:]]*//p'))"
echo "$dynamic" | grep -Eq '\(FLAGS_1\).*[[:space:]]PIE' ||
  fail "no PIE flag in the dynamic section"
echo "$segments" | grep -q 'GNU_RELRO' ||
  fail "no GNU_RELRO segment"
echo "$dynamic" | grep -Eq '\(FLAGS\).*BIND_NOW|\(FLAGS_1\).*[[:space:]]NOW' ||
  fail "no BIND_NOW: relocations stay writable (partial RELRO)"
if [ "$static" = yes ]; then
  echo "$segments" | grep -q 'INTERP' && fail "has a program interpreter, so it is not static"
  echo "$dynamic" | grep -q '(NEEDED)' &&
    fail "needs shared libraries: $(echo "$dynamic" | sed -n 's/.*Shared library: //p' | xargs)"
fi
echo "$undefined" | grep -qx '__stack_chk_fail' ||
  fail "no stack canaries in its own code (no call to __stack_chk_fail)"

checked=$(echo "$undefined" | grep -E '^__.+_chk$' | grep -vx '__stack_chk_fail' | xargs)
echo "fortified calls in its own code: ${checked:-none (no call needs a size check at run time)}"

if [ "$failures" -ne 0 ]; then
  exit 1
fi
echo "ok: $exe is PIE with full RELRO and stack canaries$([ "$static" = yes ] && echo ', statically linked')"
