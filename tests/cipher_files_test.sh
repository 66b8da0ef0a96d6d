#!/bin/sh
# Cipher files as people have them, through transpose and untranspose-key:
# paragraphs of folded lines, LF or CR LF, with a UTF-8 byte order mark or
# in UTF-16 of either byte order, accented letters; answers written as soon
# as each text is read; --decode printing what the filter prints.
#   cipher_files_test.sh KEY_PROGRAM FILTER TRANSPOSE SCRATCH [EMULATOR...]
set -u
key=$1 filter=$2 transpose=$3 scratch=$4
shift 4
mkdir -p "$scratch"
failures=0
run="$* $key" enc="$* $transpose" filt="$* $filter"

pass_if() { # name command...: passes when the command succeeds
	name=$1
	shift
	if "$@"; then echo "ok   $name"; else echo "FAIL $name"; failures=$((failures + 1)); fi
}
same() { cmp -s "$1" "$2"; }

# Each form of a UTF-8 file with LF line ends, in FILE.lf, .crlf, .bom,
# .le and .be.
forms() {
	cp "$1" "$1.lf"
	sed 's/$/\r/' "$1" >"$1.crlf"
	{ printf '\357\273\277'; cat "$1"; } >"$1.bom"
	{ printf '\377\376'; iconv -f UTF-8 -t UTF-16LE "$1"; } >"$1.le"
	{ printf '\376\377'; iconv -f UTF-8 -t UTF-16BE "$1"; } >"$1.be"
}

# Accents: folded as the language tables fold them, in texts and keywords.
printf 'Gr\303\274\303\237e aus K\303\266ln\n' | $enc --keyword "$(printf '\303\244pfel')" >"$scratch/accents"
printf 'GRUESSE AUS KOELN\n' | $enc --keyword aepfel >"$scratch/ascii"
printf 'GEERALSKESSOUUN\n' >"$scratch/expected"
pass_if "transpose folds the letters of a text and a keyword" same "$scratch/accents" "$scratch/expected"
pass_if "... as if they had been typed in ASCII" same "$scratch/ascii" "$scratch/expected"

# Paragraphs: lines joined, separated by lines of only white space, in
# every encoding and with either line end.
printf 'Gr\303\274\303\237e aus K\303\266ln\nund Z\303\274rich\n \t\n\n\302\240\nwe are discovered\nflee at once\n' >"$scratch/plain"
forms "$scratch/plain"
printf 'GRUESSE AUS KOELN UND ZUERICH\nwe are discovered flee at once\n' | $enc --keyword aepfel --groups 5 >"$scratch/expected"
for form in lf crlf bom le be; do
	$enc --paragraphs --keyword "$(printf '\303\244pfel')" --groups 5 "$scratch/plain.$form" >"$scratch/got" 2>"$scratch/err"
	pass_if "transpose --paragraphs, $form" same "$scratch/got" "$scratch/expected"
done

# A keyed cipher of 324 letters in groups of five, folded into lines of
# 60, then a shorter one, as paragraphs; their answers in every form.
message="the expedition will leave the northern camp at dawn on the fourth day of the month and follow the river south until it meets the old mill where the guide will be waiting with fresh horses and enough food for ten days bring warm coats and the maps of the valley do not tell anyone in the village where you are going and burn this letter once you have read it thrice the weather in the pass is bad at night"
second="we are discovered flee at once and meet me by the old church on the hill before the bells ring at noon"
printf '%s\n%s\n' "$message" "$second" | $enc --keyword lighthouse --groups 5 >"$scratch/ciphers.lines"
{
	head -n 1 "$scratch/ciphers.lines" | fold -w 60
	printf '\n'
	tail -n 1 "$scratch/ciphers.lines"
} >"$scratch/ciphers"
forms "$scratch/ciphers"
printf '%s\n%s\n' "$message" "$second" | tr -d ' ' | tr a-z A-Z >"$scratch/expected"
for form in lf crlf bom le be; do
	$run --paragraphs --keyword LightHouse --decode "$scratch/ciphers.$form" >"$scratch/got" 2>"$scratch/err"
	pass_if "untranspose-key --paragraphs --keyword --decode, $form" same "$scratch/got" "$scratch/expected"
done
$run --paragraphs --keyed --decode "$scratch/ciphers.le" >"$scratch/got" 2>"$scratch/err"
pass_if "untranspose-key --paragraphs --keyed --decode finds both keys" same "$scratch/got" "$scratch/expected"

# --decode prints what the filter prints for the cases, --top N lines each.
$run --top 3 "$scratch/ciphers.lines" 2>/dev/null | $filt >"$scratch/expected"
$run --top 3 --decode "$scratch/ciphers.lines" >"$scratch/got" 2>/dev/null
pass_if "--decode --top 3 is the filter's output for the cases" same "$scratch/got" "$scratch/expected"
pass_if "... three lines for each text" test "$(wc -l <"$scratch/got")" = 6

# Broken UTF-16 is named and the rest read; a byte order mark after the
# start of a file is an ordinary byte.
check_bytes() { # name status input-format expected-format
	printf "$3" | $enc --key 1 >"$scratch/got" 2>"$scratch/err"
	status=$?
	printf "$4" >"$scratch/expected"
	pass_if "$1" test "$status" = "$2" -a "$(wc -l <"$scratch/err")" = "$((status == 0 ? 0 : 1))"
	pass_if "... its output" same "$scratch/got" "$scratch/expected"
}
check_bytes "an unpaired surrogate" 1 '\377\376a\000\n\000\000\330b\000' 'A\n\357\277\275B\n'
check_bytes "UTF-16 of an odd number of bytes" 1 '\376\377\000a\000' 'A\n'
check_bytes "a byte order mark after the start" 0 'abc\n\357\273\277def\n' 'ABC\n\357\273\277DEF\n'
check_bytes "a mark and nothing else" 0 '\357\273\277' ''

# A paragraph past the filter's limit is named and cut.
awk 'BEGIN { for (i = 0; i < 11; i++) { for (j = 0; j < 1000; j++) printf "a"; printf "\n" } }' >"$scratch/long"
$enc --paragraphs --key 1 "$scratch/long" >"$scratch/got" 2>"$scratch/err"
pass_if "a long paragraph: cut to 9999 bytes" test "$?" = 0 -a "$(wc -c <"$scratch/got")" = 10000
pass_if "... and named" grep -q 'long:1: paragraph longer than 9999 bytes; only its first 9999 are read' "$scratch/err"

# Answers as they come: the first cipher's answer is out before the second
# cipher is sent.
rm -f "$scratch/stream" "$scratch/early"
{
	printf 'EVLNACDTESEAROFODEECWIREE\n'
	waited=0
	while [ ! -s "$scratch/stream" ] && [ "$waited" -lt 600 ]; do
		sleep 1
		waited=$((waited + 1))
	done
	[ -s "$scratch/stream" ] && printf 'answered\n' >"$scratch/early"
	printf 'HRESF RABHU LOGFC ATSET TRWLN TRMEE EWDEO LMNEY LOIMI YARAR EATHH NEHBA LI\n'
} | $run --keyed --decode >"$scratch/stream" 2>/dev/null
pass_if "untranspose-key --keyed writes each answer before the next text comes" test -s "$scratch/early"
pass_if "... and both answers" test "$(wc -l <"$scratch/stream")" = 2

[ "$failures" = 0 ] || { echo "$failures case(s) failed"; exit 1; }
