#!/bin/sh
# Lints the manual page with groff: any warning fails.  Skipped (77)
# where groff is missing.
#   man_lint_test.sh PAGE...
set -eu
command -v groff >/dev/null 2>&1 || { echo "groff not found: skipped"; exit 77; }
warnings=$(for page in "$@"; do groff -man -ww -z "$page"; done 2>&1)
[ -z "$warnings" ] || { printf '%s\n' "$warnings" >&2; exit 1; }
echo "no warnings"
