#!/usr/bin/env bash
# Runs the 64-bit Windows build under Wine and checks what only the Windows side of the
# platform layer decides: CR LF line ends on both streams, the 32-bit exit codes, CreateProcessA
# starting a real Windows tool with the command line as built, a failed start, the key wait with
# and without a console, the backslash-only directory rule of argument 0, and arguments that
# reach the program unchanged (no wildcard expansion).
#   wine_smoke.sh ZERUDUD_EXE
# Everything happens in a fresh temporary folder with its own Wine prefix, removed after.
set -euo pipefail

if [ $# -ne 1 ]; then
  echo "usage: $0 ZERUDUD_EXE" >&2
  exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
exe=$(realpath "$1")
# Debian's wine64 package keeps both programs out of PATH.
wine=${WINE64:-$(command -v wine64 || echo /usr/lib/wine/wine64)}
wineserver=${WINESERVER:-$(command -v wineserver || echo /usr/lib/wine/wineserver)}
cc=x86_64-w64-mingw32-gcc-posix

work=$(mktemp -d /tmp/zerudud-wine-smoke.XXXXXX)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
cleanup() {
  "$wineserver" -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

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

# A launcher beside its settings file, the tools, and projects of each family. A blank line in
# the settings file gives one message on every run that reads it, so that standard error is
# never empty where CR LF is looked for.
app=$work/app
mkdir -p "$app/bin" "$app/cwd"
cp "$exe" "$app/bin/zerudud.exe"
"$cc" -O2 -s -static -o "$app/recorder.exe" "$here/recorder.c"
"$cc" -O2 -s -static -o "$app/bin/spawn.exe" "$here/spawn.c"
launcher=$(winpath "$app/bin/zerudud.exe")
spawn=$(winpath "$app/bin/spawn.exe")
recorder=$(winpath "$app/recorder.exe")
printf 'ZUD_OVOD_TOLV = %s %s\r\n\r\nZUD_OVOD_MUK = %s\r\n' \
  "$recorder" "$(winpath "$app/record.txt")" "$(winpath "$app/no-such-tool.exe")" \
  >"$app/bin/ZERUDUD.ini"
printf 'x\r\n<cpu>TOLV\r\n' >"$app/tolv.prj"
printf '<cpu>MUK\r\n' >"$app/muk.prj"
printf '<cpu>PEXO\r\n' >"$app/pexo.prj"
printf '<cpu>TOLV\r\n' >"$app/w1.prj"
bad_line=$'bad line (#2) in INI File\r\n'

# One server stays up for all the runs; a fresh prefix then takes some seconds to set up.
mkdir -p "$WINEPREFIX"
"$wineserver" -p
"$wine" wineboot -i >/dev/null 2>&1
cd "$app/cwd"

# run ARGS...: runs the launcher's Windows path with ARGS; sets status, out and err.
run() {
  local rc=0
  timeout 30 "$wine" "$launcher" "$@" >"$work/out" 2>"$work/err" </dev/null || rc=$?
  status=$rc
  out=$(cat "$work/out"; echo .)
  err=$(cat "$work/err"; echo .)
}
# await_record FILE: prints the record that the recorder wrote, once it is there.
await_record() {
  for _ in $(seq 100); do
    if [ -f "$1" ]; then
      cat "$1"
      rm -f "$1"
      return
    fi
    sleep 0.1
  done
  echo "(no record after 10 s)"
}

echo "== Wine: messages, exit statuses and CR LF"
# Wine hands the low eight bits of the 32-bit exit code to Linux: -1 is 255, -6 is 250.
run
expect "no argument: status" 255 "$status"
expect "no argument: stderr" $'No file specified...\r\n.' "$err"
missing=$(winpath "$app/missing.prj")
run "$missing"
expect "missing project: status" 254 "$status"
expect "missing project: stderr" "Error opening file ''$missing''"$'\r\n.' "$err"
run "$(winpath "$app")"
expect "project that is a folder: status" 254 "$status"
# The runtime must not expand wildcards: w1.prj exists, and "w*.prj" must still fail to open.
run "$(winpath "$app")\\w*.prj"
expect "wildcard kept: status" 254 "$status"
expect "wildcard kept: stderr" "Error opening file ''$(winpath "$app")\\w*.prj''"$'\r\n.' "$err"
mkdir "$work/lonely"
cp "$exe" "$work/lonely/zerudud.exe"
timeout 30 "$wine" "$(winpath "$work/lonely/zerudud.exe")" "$(winpath "$app/tolv.prj")" \
  >"$work/out" 2>"$work/err" </dev/null && status=0 || status=$?
expect "missing settings: status" 251 "$status"
expect "missing settings: stderr" \
  $'INI File ZERUDUD.ini Not Found!\r\nCan\'t Read INI File.\r\nPROBLEM READING .INI FILE, \'ZERUDUD.ini\'.\r\n.' \
  "$(cat "$work/err"; echo .)"

echo "== Wine: starting the tool"
run "$(winpath "$app/tolv.prj")"
expect "started: status" 0 "$status"
expect "started: stdout" "." "$out"
expect "started: stderr" "$bad_line." "$err"
expect "started: tool command line and current directory" \
  "$recorder $(winpath "$app/record.txt") \"$(winpath "$app/tolv.prj")\"
$(winpath "$app/cwd")" "$(await_record "$app/record.txt")"
run "$(winpath "$app/muk.prj")"
expect "tool that does not exist: status" 253 "$status"
expect "tool that does not exist: stdout" "." "$out"

echo "== Wine: no tool configured"
# Started from a process without a terminal, Wine gives the program no console, so there is
# nothing to wait on: the message, then -6 at once.
run "$(winpath "$app/pexo.prj")"
expect "no console: status" 250 "$status"
expect "no console: stdout" $'TOOL NOT IDENTIFIED, CAN\'T LAUNCH PROJECT\r\n.' "$out"
expect "no console: stderr" "$bad_line." "$err"
# The same, started by a Windows process without a console, which sees the whole exit code.
report=$("$wine" "$spawn" detached "$(winpath "$work/out")" "$(winpath "$work/err")" \
  "$launcher $(winpath "$app/pexo.prj")" | tr -d '\r')
expect "detached: exit code" "exit 0xFFFFFFFA" "$report"
expect "detached: stdout" $'TOOL NOT IDENTIFIED, CAN\'T LAUNCH PROJECT\r\n.' \
  "$(cat "$work/out"; echo .)"
if command -v python3 >/dev/null; then
  # On a terminal Wine gives the program a console; keys typed there end the wait. Ctrl+C is
  # not tried: Wine's terminal console ends the process on it, whatever the console mode.
  keys() { python3 "$here/pty_keys.py" "$1" "$2" "$3" -- "$wine" "$launcher" "$(winpath "$app/pexo.prj")"; }
  expect "console, no key: still waiting" "waiting" "$(keys 0 '' 4)"
  expect "console, key x: ends the wait" "exit 250" "$(keys 1.5 78 20)"
  expect "console, arrow key: ends the wait" "exit 250" "$(keys 1.5 1b5b41 20)"
else
  echo "  skip console key wait: no python3"
fi

echo "== Wine: argument 0"
# spawn.exe starts the launcher with a command line of its own choosing, so argument 0 is
# exactly as written there. Each settings file names a record of its own.
mkdir -p "$app/bin/sub"
printf 'ZUD_OVOD_TOLV = %s %s\n' "$recorder" "$(winpath "$app/record-app.txt")" >"$app/ZERUDUD.ini"
printf 'ZUD_OVOD_TOLV = %s %s\n' "$recorder" "$(winpath "$app/record-cwd.txt")" \
  >"$app/cwd/ZERUDUD.ini"
printf 'ZUD_OVOD_TOLV = %s %s\n' "$recorder" "$(winpath "$app/record-bin.txt")" \
  >"$app/bin/ZERUDUD.ini"
project=$(winpath "$app/tolv.prj")
# argument0 NAME ARGUMENT0 WANT_RECORD
argument0() {
  local report record
  report=$("$wine" "$spawn" console "$(winpath "$work/out")" "$(winpath "$work/err")" \
    "$2 $project" | tr -d '\r')
  expect "$1: exit code" "exit 0x00000000" "$report"
  record=$(await_record "$app/$3")
  expect "$1: settings from $3" "$recorder $(winpath "$app/$3") \"$project\"" \
    "${record%%$'\n'*}"
}
# Only the backslash separates: the directory of "...\app\bin/sub/../zerudud.exe" is "...\app\".
argument0 "backslash, then slashes" "$(winpath "$app/bin")/sub/../zerudud.exe" record-app.txt
# No backslash at all: the settings lie beside the executable, never in the current directory.
argument0 "slashes only" "Z:$app/bin/zerudud.exe" record-bin.txt
argument0 "bare name" "zerudud.exe" record-bin.txt

if [ "$failures" -ne 0 ]; then
  echo "wine_smoke.sh: $failures check(s) failed" >&2
  exit 1
fi
echo "wine_smoke.sh: all checks passed"
