#!/usr/bin/env bash
# Checks a cross-built zerudud.exe from its PE headers, read with the cross objdump:
#   check_exe.sh EXE i686|x86_64
# It must be a console program of the right word size, import from KERNEL32.dll and msvcrt.dll
# only (the compiler's runtime linked in, so it runs from any folder on its own), be at most
# 64 KiB, be stripped, and be built for ASLR and DEP with the relocations ASLR needs.
# Prints what it found on one line, then lists every failed check and exits 1 if any failed.
set -euo pipefail

if [ $# -ne 2 ] || { [ "$2" != i686 ] && [ "$2" != x86_64 ]; }; then
  echo "usage: $0 EXE i686|x86_64" >&2
  exit 2
fi
exe=$1
arch=$2
objdump=$arch-w64-mingw32-objdump
max_size=65536

if [ "$arch" = i686 ]; then
  want_format=pei-i386 want_magic='010b	(PE32)' want_flags='DYNAMIC_BASE NX_COMPAT'
else
  want_format=pei-x86-64 want_magic='020b	(PE32+)' want_flags='DYNAMIC_BASE NX_COMPAT HIGH_ENTROPY_VA'
fi

if ! headers=$("$objdump" -p "$exe" 2>&1) || ! sections=$("$objdump" -h "$exe" 2>&1); then
  echo "$exe: FAILED" >&2
  echo "  not a $arch Windows executable: $headers" >&2
  exit 1
fi
failures=()
fail() { failures+=("$1"); }

# One header field: the text after its name, tabs between the columns kept.
field() { sed -n "s/^$1\t\t*//p" <<<"$headers" | head -n 1; }

grep -q "file format $want_format\$" <<<"$headers" ||
  fail "format: want $want_format, got $(sed -n 's/.*file format //p' <<<"$headers" | head -n 1)"
[ "$(field Magic)" = "$want_magic" ] || fail "magic: want '$want_magic', got '$(field Magic)'"
[ "$(field Subsystem)" = '00000003	(Windows CUI)' ] ||
  fail "subsystem: want console (Windows CUI), got '$(field Subsystem)'"

imports=$(sed -n 's/^\tDLL Name: //p' <<<"$headers" | sort -f | xargs)
[ "$imports" = 'KERNEL32.dll msvcrt.dll' ] ||
  fail "imports: want KERNEL32.dll and msvcrt.dll only, got: $imports"

size=$(stat -c %s "$exe")
[ "$size" -le "$max_size" ] || fail "size: $size bytes, more than $max_size"

# The flags are listed one per line under DllCharacteristics.
characteristics=$(sed -n '/^DllCharacteristics/,/^SizeOfStackReserve/p' <<<"$headers")
for flag in $want_flags; do
  grep -qw "$flag" <<<"$characteristics" || fail "DllCharacteristics: $flag is not set"
done
# ASLR can move only an image that still has its base relocations.
if grep -q 'relocations stripped' <<<"$headers" || ! grep -qw '\.reloc' <<<"$sections"; then
  fail "relocations: missing, so the image cannot be moved despite DYNAMIC_BASE"
fi
grep -q 'symbols stripped' <<<"$headers" || fail "symbols: not stripped"
if grep -qE '\.debug_|\.stab' <<<"$sections"; then
  fail "debug sections left in"
fi

flags=$(sed -n 's/^\t\t*\([A-Z_][A-Z_]*\)$/\1/p' <<<"$characteristics" | xargs)
echo "$exe: $(sed -n 's/.*file format //p' <<<"$headers" | head -n 1), $size bytes," \
  "subsystem $(field Subsystem | cut -f2 | tr -d "()"), imports $imports, $flags"
if [ ${#failures[@]} -ne 0 ]; then
  echo "$exe: FAILED" >&2
  printf '  %s\n' "${failures[@]}" >&2
  exit 1
fi
