#!/usr/bin/env bash
# Starts and ends the Wine session in which the tests run Windows programs:
#   wine_session.sh start PREFIX   makes the Wine prefix PREFIX if it is not there yet, and
#                                  starts its server and Wine's services, to stay up until stop
#   wine_session.sh stop PREFIX    ends every Wine process of PREFIX, and its server
# While the session is up, the file PREFIX/session says so. Stop it before removing PREFIX: a
# server whose prefix is gone stays up.
# Wine's desktop process (explorer.exe) is kept out, as in the tests that use the session: no
# test needs it, and started by the first console on a terminal it inherits that terminal and
# now and then keeps a typed key from the console.
set -euo pipefail

if [ $# -ne 2 ] || { [ "$1" != start ] && [ "$1" != stop ]; }; then
  echo "usage: $0 start|stop PREFIX" >&2
  exit 2
fi
# Debian's wine64 package keeps both programs out of PATH.
wine=${WINE64:-$(command -v wine64 || echo /usr/lib/wine/wine64)}
wineserver=${WINESERVER:-$(command -v wineserver || echo /usr/lib/wine/wineserver)}
mkdir -p "$2"
WINEPREFIX=$(cd "$2" && pwd)
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=;explorer.exe=d'

end_session() {
  rm -f "$WINEPREFIX/session"
  "$wineserver" -k 2>/dev/null || true
  "$wineserver" -w 2>/dev/null || true
}
# A session left over from a run that was cut short is ended first, whatever its server's
# settings were.
end_session
[ "$1" = stop ] && exit 0
# The server and the services outlive this script; they must not hold its output open, or
# whoever reads that output would wait for them.
"$wineserver" -p </dev/null >/dev/null 2>&1
SECONDS=0
if ! "$wine" wineboot -i </dev/null >"$WINEPREFIX/wineboot.log" 2>&1; then
  cat "$WINEPREFIX/wineboot.log" >&2
  end_session
  exit 1
fi
echo "started by $0" >"$WINEPREFIX/session"
echo "Wine session in $WINEPREFIX: up after ${SECONDS} s"
