#!/bin/sh
# Runs a Windows program under wine, with nothing of wine's own on standard
# error and nothing left holding the caller's pipes.  Wine's debug channels
# are off; its prefix is made once, and its server and background services
# are started apart from the program, with their standard streams on
# /dev/null: a program that started them itself would leave them holding
# its output pipe, and whoever reads that pipe would wait for them.  The
# server stays up for a minute after the last program ends, which saves
# seconds per run in a test suite.
#   wine-run.sh PROGRAM [ARGUMENT...]
set -eu
export WINEDEBUG=-all
export WINEPREFIX="${WINEPREFIX:-$HOME/.wine}"
wine=/usr/lib/wine/wine64
server=/usr/lib/wine/wineserver64
[ -x "$wine" ] || { wine=wine64; server=wineserver; }
if [ ! -f "$WINEPREFIX/system.reg" ]; then
	mkdir -p "$(dirname "$WINEPREFIX")"
	"$wine" wineboot --init >/dev/null 2>&1 </dev/null
	"$server" -w
fi
if "$server" -p60 >/dev/null 2>&1 </dev/null; then
	"$wine" wineboot >/dev/null 2>&1 </dev/null
fi
exec "$wine" "$@"
