#!/bin/sh
# Runs a Windows program under wine, with nothing of wine's own on standard
# error: its debug channels off, and its prefix made quietly, once, on the
# first run.  A wine server that stays up for a minute after the last
# program ends saves seconds per run in a test suite.
#   wine-run.sh PROGRAM [ARGUMENT...]
set -eu
export WINEDEBUG=-all
export WINEPREFIX="${WINEPREFIX:-$HOME/.wine}"
wine=/usr/lib/wine/wine64
server=/usr/lib/wine/wineserver64
[ -x "$wine" ] || { wine=wine64; server=wineserver; }
if [ ! -f "$WINEPREFIX/system.reg" ]; then
	mkdir -p "$(dirname "$WINEPREFIX")"
	flock "$WINEPREFIX.lock" sh -c '[ -f "$WINEPREFIX/system.reg" ] || "$1" wineboot --init' sh "$wine" >/dev/null 2>&1 </dev/null
fi
"$server" -p60 >/dev/null 2>&1 </dev/null || true
exec "$wine" "$@"
