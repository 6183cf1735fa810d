#!/usr/bin/env bash
# Without any display the program says so on stderr and ends with exit code 1, instead of
# aborting inside Qt; it touches nothing beside itself.
#   no_display.sh PROGRAM
set -uo pipefail
program=${1:?program file}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$program" "$work/morvelin"

env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$work/morvelin" >"$work/out.txt" \
    2>"$work/err.txt"
code=$?
failed=0
if [ "$code" -ne 1 ]; then
    echo "FAIL: exit code $code, expected 1"
    failed=1
fi
if ! grep -q "no display" "$work/err.txt"; then
    echo "FAIL: stderr does not say that there is no display:"
    cat "$work/err.txt"
    failed=1
fi
if [ -e "$work/data" ]; then
    echo "FAIL: a data folder was made"
    failed=1
fi
[ "$failed" -eq 0 ] && echo "PASS"
exit "$failed"
