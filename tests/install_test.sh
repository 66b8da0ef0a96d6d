#!/bin/sh
# Installs into a staging prefix, runs the installed filter on the sample
# stream (under the emulator, if one is given) and checks that the manual
# page is in place.
#   install_test.sh BUILD_DIR SAMPLE_STREAM STAGING_DIR PROGRAM_NAME [EMULATOR...]
set -eu
build=$1 sample=$2 stage=$3 name=$4
shift 4
rm -rf "$stage"
cmake --install "$build" --prefix "$stage" >/dev/null

got=$("$@" "$stage/bin/$name" < "$sample")
expected='ATTACKATDAWN
HELLOWORLD
COLUMNARTRANSPOSITIONISOLDBUTSTILLFUN
MEETMEUNDERTHEOLDCLOCKTOWERATNOON
ABC'
if [ "$got" != "$expected" ]; then
	printf 'installed untranspose printed:\n%s\n' "$got" >&2
	exit 1
fi

page="$stage/share/man/man1/untranspose.1"
[ -s "$page" ] || { echo "no manual page at $page" >&2; exit 1; }
for other in untranspose-key transpose; do
	[ -s "$stage/share/man/man1/$other.1" ] || { echo "no manual page for $other" >&2; exit 1; }
done
grep -q '^\.SH EXIT STATUS' "$page" || { echo "manual page lacks EXIT STATUS" >&2; exit 1; }
# lintian's overrides belong in the package only.
[ ! -e "$stage/share/lintian" ] || { echo "lintian overrides installed outside a package" >&2; exit 1; }
echo "installed and ran"
