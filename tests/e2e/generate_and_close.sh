#!/usr/bin/env bash
# Copies the program into a fresh folder with GB18030 data files for category a, starts it under
# a virtual X server, presses the generate button with the mouse, waits for the output files,
# closes the window with Esc, and checks the exit code, both output files and that the makers'
# page was requested exactly once (through a recording stand-in for xdg-open).
#   generate_and_close.sh PROGRAM MAKERS_URL
set -uo pipefail
program=${1:?program file}
makers_url=${2:?makers page address}

for tool in xvfb-run xdotool iconv cmp; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: $tool is not installed"
        exit 77
    fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/app/data" "$work/bin" "$work/elsewhere"
cp "$program" "$work/app/morvelin"

gb() { printf "$1" | iconv -f UTF-8 -t GB18030; }
gb '衬衫\r\n连衣裙\r\n' >"$work/app/data/a-1.txt"
gb '红色\r\n长款' >"$work/app/data/a-2.txt"
gb '女装\r\n夏季' >"$work/app/data/a-3.txt"
gb '衬衫 红色\r\n衬衫 长款\r\n连衣裙 红色\r\n连衣裙 长款\r\n' >"$work/expected-4.txt"
gb '衬衫 红色 女装\r\n衬衫 红色 夏季\r\n衬衫 长款 女装\r\n衬衫 长款 夏季\r\n连衣裙 红色 女装\r\n连衣裙 红色 夏季\r\n连衣裙 长款 女装\r\n连衣裙 长款 夏季\r\n' >"$work/expected-5.txt"

# The browser stand-in: one line per request.
cat >"$work/bin/xdg-open" <<STANDIN
#!/bin/sh
printf '%s\n' "\$*" >>"$work/opened.txt"
STANDIN
chmod +x "$work/bin/xdg-open"

cat >"$work/drive.sh" <<'DRIVE'
set -u
work=$1
# Started from another folder: the data files beside the program must be the ones used.
cd "$work/elsewhere"
"$work/app/morvelin" &
pid=$!
wid=
for _ in $(seq 1 300); do
    wid=$(xdotool search --onlyvisible --name '^Morvelin V8.8$' 2>/dev/null | head -n 1)
    [ -n "$wid" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if [ -z "$wid" ]; then
    echo "FAIL: the window did not appear"
    kill "$pid" 2>/dev/null
    exit 3
fi
# The generate button: 336,507 in the client area, 118 x 24. A click that came before the window
# could take it is repeated; a click during a run meets a disabled button.
for _ in 1 2 3; do
    xdotool mousemove --window "$wid" 395 519 click 1
    for _ in $(seq 1 200); do
        cmp -s "$work/app/data/a-5.txt" "$work/expected-5.txt" && break 2
        sleep 0.1
    done
done
xdotool key --window "$wid" Escape
wait "$pid"
echo "exit code: $?" >"$work/exit.txt"
DRIVE

unset BROWSER DEFAULT_BROWSER
# A sanitizer build checks leaks at exit; the X platform's own libraries keep some for good.
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$(cd "$(dirname "$0")" && pwd)/lsan.supp"
PATH="$work/bin:$PATH" timeout 150 xvfb-run -a -s "-screen 0 1280x800x24" \
    bash "$work/drive.sh" "$work"

failed=0
check() {
    if ! "$@"; then
        failed=1
    fi
}
expect_file() {
    if ! cmp -s "$1" "$2"; then
        echo "FAIL: $1 differs from $2"
        return 1
    fi
}
check expect_file "$work/app/data/a-4.txt" "$work/expected-4.txt"
check expect_file "$work/app/data/a-5.txt" "$work/expected-5.txt"
# The program has already ended; the detached opener may still be writing.
for _ in $(seq 1 100); do
    [ -s "$work/opened.txt" ] && break
    sleep 0.1
done
if [ "$(cat "$work/exit.txt" 2>/dev/null)" != "exit code: 0" ]; then
    echo "FAIL: $(cat "$work/exit.txt" 2>/dev/null || echo 'no exit code')"
    failed=1
fi
if [ "$(cat "$work/opened.txt" 2>/dev/null)" != "$makers_url" ]; then
    echo "FAIL: web page requests were: $(cat "$work/opened.txt" 2>/dev/null || echo none)"
    failed=1
fi
if [ -n "$(ls "$work/elsewhere")" ]; then
    echo "FAIL: files were made in the folder the program was started from"
    failed=1
fi
[ "$failed" -eq 0 ] && echo "PASS"
exit "$failed"
