#!/bin/sh
# untranspose-key end to end: its command line, its statuses and messages,
# and its output fed to untranspose.  Each case gives the arguments, the
# standard input and the exact standard output (printf formats; * for any),
# the status, and whether standard error must be empty or hold a message.
#   key_cli_test.sh KEY_PROGRAM FILTER_PROGRAM SCRATCH [EMULATOR...]
set -u
key=$1 filter=$2 scratch=$3
shift 3
mkdir -p "$scratch"
failures=0

check() { # name status stderr(empty|message) stdout-format stdin-format [ARGUMENT...]
	name=$1 status=$2 errors=$3 expected=$4 input=$5
	shift 5
	printf "$input" >"$scratch/in"
	"$@" >"$scratch/out" 2>"$scratch/err" <"$scratch/in"
	got=$?
	problems=""
	[ "$got" = "$status" ] || problems="$problems status $got, expected $status;"
	if [ "$expected" != "*" ]; then
		printf "$expected" >"$scratch/expected"
		cmp -s "$scratch/out" "$scratch/expected" || problems="$problems output differs;"
	fi
	case $errors in
	empty) [ ! -s "$scratch/err" ] || problems="$problems wrote to standard error;" ;;
	message) [ "$(wc -l <"$scratch/err")" = 1 ] || problems="$problems not one line on standard error;" ;;
	esac
	if [ -n "$problems" ]; then
		echo "FAIL $name:$problems"
		sed 's/^/  stdout: /' "$scratch/out"
		sed 's/^/  stderr: /' "$scratch/err"
		failures=$((failures + 1))
	else
		echo "ok   $name"
	fi
}

run="$* $key"
two='acd tka taw atn\nhlod eorl wl\n'
check "a case stream" 0 empty '4\nacd tka taw atn\n3\nhlod eorl wl\n0\n' "$two" $run
check "no input" 0 empty '0\n' '' $run
check "last line without newline" 0 empty '4\nacd tka taw atn\n0\n' 'acd tka taw atn' $run
check "CR LF kept as read, the CR a byte of the text" 0 empty '5\nacd tka taw atn\r\n0\n' 'acd tka taw atn\r\n' $run
check "--top 2" 0 empty '4\nacd tka taw atn\n10\nacd tka taw atn\n0\n' 'acd tka taw atn\n' $run --top 2
check "--top=2" 0 empty '4\nacd tka taw atn\n10\nacd tka taw atn\n0\n' 'acd tka taw atn\n' $run --top=2
check "--max-key" 0 empty '1\nacd tka taw atn\n0\n' 'acd tka taw atn\n' $run --max-key 3
check "--table" 0 empty '*' "$two" $run --table
check "--help" 0 empty '*' '' $run --help
check "--version" 0 empty 'untranspose-key 1.0.0\n' '' $run --version
check "unknown option" 2 message '' '' $run --frobnicate
check "missing value" 2 message '' '' $run --top
check "value not a number" 2 message '' '' $run --top abc
check "top of zero" 2 message '' '' $run --top 0
check "key not a number" 2 message '' '' $run --min-key 3x
check "min-key above max-key" 2 message '' '' $run --min-key 5 --max-key 3
check "a file that cannot be read" 1 message '0\n' '' $run "$scratch/no-such-file"
check "goes on after a file that cannot be read" 1 message '4\nacd tka taw atn\n0\n' 'acd tka taw atn\n' \
	$run "$scratch/no-such-file" -

# Groups of five, in upper or lower case, through finder and filter.
ciphers='TOUHN REIHT NLHDI THUIE GRDVE OGLES RSERE MTYTE ROTWI IP.HW TOHFO .MDHI RNOAA OREAA FEAET HTCRS NNFIR INLWH AHKBQ TIELR SSOAT NEE\nateev eeaai aanrt senia igerl eariw ndsoq imrtr ntoar ysnsg asskt uoath sdsoc agtst hyths henlh etw.d hrihw rt.ee aes,l af,a\n'
plain='THEHARBOURWASQUIETONTHEMORNINGTHEFERRYFAILEDTOARRIVE.FISHERMENSTOODALONGTHEWALLWITHTHEIRHANDSINTHEIRPOCKETS.\nAGOODTEACHERRARELYGIVESTHEANSWERSTRAIGHTAWAY.INSTEADSHEASKSANOTHERQUESTION,SMALLERTHANTHEFIRST,ANDWAITS.\n'
printf "$ciphers" | $run >"$scratch/cases"
check "finder then filter" 0 empty "$plain" '' sh -c '"$@" < "$0"' "$scratch/cases" $* "$filter"

[ "$failures" = 0 ] || { echo "$failures case(s) failed"; exit 1; }
