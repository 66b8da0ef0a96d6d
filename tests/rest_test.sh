#!/bin/sh
# Runs the filter as { filter >out; cat >rest; } <file on every input of a
# table from write_streams, and checks its output, its status and what it
# left for the next reader, byte for byte.
#   rest_test.sh DIR TABLE PROGRAM [EMULATOR...]
# UNTRANSPOSE_RUN_UNDER in the environment names a command to run the
# filter under, such as valgrind.
set -u
dir=$1 table=$2 program=$3
shift 3
failures=0
while read -r n status name; do
	stem=$dir/$table.$n
	{
		"$@" ${UNTRANSPOSE_RUN_UNDER:-} "$program" >"$stem.got"
		echo $? >"$stem.status"
		cat >"$stem.rest.got"
	} <"$stem.in"
	problems=""
	cmp -s "$stem.got" "$stem.out" || problems="$problems output differs ($stem.got);"
	[ "$(cat "$stem.status")" = "$status" ] || problems="$problems status $(cat "$stem.status"), expected $status;"
	cmp -s "$stem.rest.got" "$stem.rest" || problems="$problems rest differs ($stem.rest.got);"
	if [ -n "$problems" ]; then
		echo "FAIL $table: $name:$problems"
		failures=$((failures + 1))
	else
		echo "ok   $table: $name"
	fi
done <"$dir/$table.index"
[ "$failures" = 0 ] || { echo "$failures case(s) failed"; exit 1; }
