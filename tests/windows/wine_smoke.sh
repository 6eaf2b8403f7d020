#!/usr/bin/env bash
# The Windows checks of the 64-bit build that the end-to-end tests under Wine (tests/e2e, run
# with ctest -R '^wine\.') cannot make:
#   wine_smoke.sh ZERUDUD_EXE RECORDER_EXE
# - every exit status as the whole 32-bit exit code that a Windows parent sees (Linux sees only
#   its low eight bits), through spawn.c;
# - a project path that names a folder, or holds wildcards, fails to open: the runtime expands
#   no wildcards;
# - only a backslash ends the directory part of argument 0, which only a Windows parent can
#   write with forward slashes in it (Wine's loader always gives the full path).
# RECORDER_EXE is the end-to-end tests' recorder (build/mingw-x86_64/tests/e2e/recorder.exe).
# Everything happens in a fresh temporary folder with a Wine session of its own, removed after.
set -euo pipefail

if [ $# -ne 2 ]; then
  echo "usage: $0 ZERUDUD_EXE RECORDER_EXE" >&2
  exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
exe=$(realpath "$1")
recorder_exe=$(realpath "$2")
# Debian's wine64 package keeps it out of PATH.
wine=${WINE64:-$(command -v wine64 || echo /usr/lib/wine/wine64)}
cc=x86_64-w64-mingw32-gcc-posix

work=$(mktemp -d /tmp/zerudud-wine-smoke.XXXXXX)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=;explorer.exe=d'
cleanup() {
  bash "$here/wine_session.sh" stop "$WINEPREFIX" || true
  rm -rf "$work"
}
trap cleanup EXIT
bash "$here/wine_session.sh" start "$WINEPREFIX"

# The Windows name of a path under /, through Wine's Z: drive.
winpath() { printf 'Z:%s' "${1//\//\\}"; }

failures=0
pass() { echo "  ok   $1"; }
fail() {
  echo "  FAIL $1" >&2
  failures=$((failures + 1))
}
# expect NAME WANT GOT: compares two texts byte for byte.
expect() {
  if [ "$2" = "$3" ]; then
    pass "$1"
  else
    fail "$1: want $(printf '%q' "$2"), got $(printf '%q' "$3")"
  fi
}

# The launcher in app/bin beside its settings, the recorder in app, projects of each kind in
# app, and app/cwd as the current folder. Each settings file gives the recorder an argument that
# names the folder it lies in, so that a record shows which one was read.
app=$work/app
mkdir -p "$app/bin/sub" "$app/cwd" "$work/lonely"
cp "$exe" "$app/bin/zerudud.exe"
cp "$exe" "$work/lonely/zerudud.exe"
cp "$recorder_exe" "$app/recorder.exe"
"$cc" -O2 -s -static -o "$app/bin/spawn.exe" "$here/spawn.c"
launcher=$(winpath "$app/bin/zerudud.exe")
spawn=$(winpath "$app/bin/spawn.exe")
recorder=$(winpath "$app/recorder.exe")
export ZERUDUD_E2E_RECORD
ZERUDUD_E2E_RECORD=$(winpath "$work/record")
for folder in "$app" "$app/bin" "$app/cwd"; do
  printf 'ZUD_OVOD_TOLV = %s %s\r\nZUD_OVOD_MUK = %s\r\n' "$recorder" "$(basename "$folder")" \
    "$(winpath "$app/no-such-tool.exe")" >"$folder/ZERUDUD.ini"
done
printf 'x\r\n<cpu>TOLV\r\n' >"$app/tolv.prj"
printf '<cpu>MUK\r\n' >"$app/muk.prj"
printf '<cpu>PEXO\r\n' >"$app/pexo.prj"
printf 'none\r\n' >"$app/none.prj"
printf '<cpu>TOLV\r\n' >"$app/w1.prj"
cd "$app/cwd"

# await_record PROJECT: prints the record of one start of the recorder, once it is whole.
await_record() {
  local record=$work/record
  for _ in $(seq 100); do
    if [ -f "$record" ] && grep -qF "$1" "$record"; then
      cat "$record"
      rm -f "$record"
      return
    fi
    sleep 0.1
  done
  echo "(no record after 10 s)"
}

echo "== Wine: whole 32-bit exit codes, seen by a Windows parent without a console"
# code NAME WANT COMMAND_LINE
code() {
  expect "$1" "exit $2" \
    "$("$wine" "$spawn" detached "$(winpath "$work/out")" "$(winpath "$work/err")" "$3" | tr -d '\r')"
}
code "tool started" 0x00000000 "$launcher $(winpath "$app/tolv.prj")"
await_record "tolv.prj" >/dev/null
code "no tag" 0x00000001 "$launcher $(winpath "$app/none.prj")"
code "no argument" 0xFFFFFFFF "$launcher"
code "missing project" 0xFFFFFFFE "$launcher $(winpath "$app/missing.prj")"
code "tool fails to start" 0xFFFFFFFD "$launcher $(winpath "$app/muk.prj")"
code "missing settings" 0xFFFFFFFB "$(winpath "$work/lonely/zerudud.exe") $(winpath "$app/tolv.prj")"
code "no tool, no console: no wait" 0xFFFFFFFA "$launcher $(winpath "$app/pexo.prj")"

echo "== Wine: project paths that name no file"
# open_fails NAME PROJECT: the run ends with -2 and names PROJECT as it came.
open_fails() {
  local status=0 err
  timeout 30 "$wine" "$launcher" "$2" >/dev/null 2>"$work/err" </dev/null || status=$?
  err=$(cat "$work/err"; echo .)
  expect "$1: status" 254 "$status"
  expect "$1: message" "Error opening file ''$2''"$'\r\n.' "$err"
}
open_fails "a folder" "$(winpath "$app")"
# w1.prj exists, so a runtime that expanded "w*.prj" would open it.
open_fails "wildcards kept" "$(winpath "$app")\\w*.prj"

echo "== Wine: argument 0 as a Windows parent writes it"
# argument0 NAME ARGUMENT0 FOLDER: the run with ARGUMENT0 reads the settings in FOLDER.
argument0() {
  local project report
  project=$(winpath "$app/tolv.prj")
  report=$("$wine" "$spawn" console "$(winpath "$work/out")" "$(winpath "$work/err")" \
    "$2 $project" | tr -d '\r')
  expect "$1: exit code" "exit 0x00000000" "$report"
  expect "$1: settings of $3" "arg ${#3} $3" "$(await_record "$project" | sed -n 4p)"
}
# "...\app\bin/sub/../zerudud.exe": the last backslash ends the directory "...\app\".
argument0 "a backslash, then slashes" "$(winpath "$app/bin")/sub/../zerudud.exe" app
# No backslash at all: the settings beside the executable, never those of the current folder.
argument0 "slashes only" "Z:$app/bin/zerudud.exe" bin

if [ "$failures" -ne 0 ]; then
  echo "wine_smoke.sh: $failures check(s) failed" >&2
  exit 1
fi
echo "wine_smoke.sh: all checks passed"
