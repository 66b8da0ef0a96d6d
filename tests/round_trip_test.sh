#!/bin/sh
# Round trips through the encoder: random texts enciphered by transpose
# with a key, a keyword or an order come back from the filter as the
# normalised texts, through untranspose-key with the same order, or, for a
# key, through the filter alone.
#   round_trip_test.sh TRANSPOSE KEY_PROGRAM FILTER DIR [EMULATOR...]
set -u
transpose=$1 key=$2 filter=$3 dir=$4
shift 4
failures=0
n=0
count=$(cat "$dir/trip.count")
# An emulator's first start may be slow or fail on a busy machine: it is
# started once before the trips, so that a trip tests the programs alone.
[ "$#" = 0 ] || "$@" "$filter" </dev/null >/dev/null 2>&1 || :
while [ "$n" -lt "$count" ]; do
	set -f
	option=$(cat "$dir/trip.$n.order")
	"$@" "$transpose" $option <"$dir/trip.$n.text" >"$dir/trip.$n.cipher" 2>"$dir/trip.$n.said"
	case $option in
	--key" "*)
		awk -v key="${option#--key }" '{ print key; print } END { print 0 }' "$dir/trip.$n.cipher" |
			"$@" "$filter" >"$dir/trip.$n.got"
		;;
	*)
		"$@" "$key" $option <"$dir/trip.$n.cipher" 2>/dev/null | "$@" "$filter" >"$dir/trip.$n.got"
		;;
	esac
	set +f
	if cmp -s "$dir/trip.$n.got" "$dir/trip.$n.plain"; then
		echo "ok   trip $n ($(echo "$option" | cut -c1-40))"
	else
		echo "FAIL trip $n: $option"
		cat "$dir/trip.$n.said"
		failures=$((failures + 1))
	fi
	n=$((n + 1))
done
[ "$failures" = 0 ] || { echo "$failures round trip(s) failed"; exit 1; }
