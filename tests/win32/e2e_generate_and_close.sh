#!/usr/bin/env bash
# The Windows program end to end, under Wine with code page 936 on the test session's display:
# copies morvelin.exe into a folder whose name holds 乗 (0x81 0x5C in code page 936, the second
# byte being the backslash's) with GB18030 data files, starts it from another folder, types into a
# pane, switches categories, generates, double-clicks pane 4 and checks the clipboard, closes the
# box with Return and the window with Esc; then checks the exit code, the data files byte for byte,
# and that the makers' page was requested exactly once (through a recording stand-in for xdg-open,
# which Wine's browser runs). After the run it saves a screenshot of the window to SCREENSHOT.
#   e2e_generate_and_close.sh WINE PROGRAM PROBE MAKERS_URL TITLE SCREENSHOT
set -uo pipefail
wine=${1:?wine}
program=${2:?program}
probe=${3:?probe program}
makers_url=${4:?makers page address}
title=${5:?window title}
screenshot=${6:?screenshot file}

for tool in xdotool iconv cmp; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: $tool is not installed"
        exit 77
    fi
done
if [ -z "${DISPLAY:-}" ]; then
    echo "SKIP: no display (the test session starts one with Xvfb)"
    exit 77
fi

work=$(mktemp -d)
pid=
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
app="$work/乗app"
mkdir -p "$app/data" "$work/bin" "$work/elsewhere"
cp "$program" "$app/morvelin.exe"

gb() { printf "$1" | iconv -f UTF-8 -t GB18030; }
gb '衬衫\r\n连衣裙\r\n' >"$app/data/a-1.txt"
gb '红色\r\n长款' >"$app/data/a-2.txt"
gb '女装\r\n夏季' >"$app/data/a-3.txt"
gb '长款\r\n' >"$app/data/b-1.txt"
# Pane 1 gets "abc" typed after its last line.
products=('衬衫' '连衣裙' 'abc')
attributes=('红色' '长款')
classes=('女装' '夏季')
two=
three=
for p in "${products[@]}"; do
    for a in "${attributes[@]}"; do
        two+="$p $a\r\n"
        for c in "${classes[@]}"; do
            three+="$p $a $c\r\n"
        done
    done
done
gb "$two" >"$work/expected-4.txt"
gb "$three" >"$work/expected-5.txt"
gb '衬衫\r\n连衣裙\r\nabc' >"$work/expected-1.txt"

cat >"$work/bin/xdg-open" <<STANDIN
#!/bin/sh
printf '%s\n' "\$*" >>"$work/opened.txt"
STANDIN
chmod +x "$work/bin/xdg-open"
unset BROWSER DEFAULT_BROWSER

fail() {
    echo "FAIL: $*"
    exit 1
}
# Waits up to $1 tenths of a second for the command after it to succeed.
await() {
    local tenths=$1
    shift
    for _ in $(seq 1 "$tenths"); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}
window_named() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1; }
has_window() { [ -n "$(window_named "$1")" ]; }
has_no_window() { [ -z "$(window_named "$1")" ]; }
b3_is_q() { [ "$(cat "$app/data/b-3.txt" 2>/dev/null)" = q ]; }
ended() { ! kill -0 "$pid" 2>/dev/null; }
# No window manager gives the window the keyboard: the test does, once the window can take it.
focused() {
    xdotool windowfocus "$wid" 2>/dev/null
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$wid" ]
}

# Started from another folder: the data files beside the program must be the ones used.
(cd "$work/elsewhere" && PATH="$work/bin:$PATH" exec "$wine" "$app/morvelin.exe") &
pid=$!
wid=
await 300 has_window "$title" || fail "the window did not appear"
wid=$(window_named "$title")
read -r ox oy < <("$wine" "$probe" origin | tr -d '\r')
[ -n "${oy:-}" ] || fail "no client origin"
# A click at a place of the client area, as the layout tables give it.
click() { xdotool mousemove $((ox + $1)) $((oy + $2)) click "${3:-1}"; }
await 100 focused || fail "the window did not take the keyboard"

# Type after the last line of pane 1; the save follows each keystroke.
click 75 300
xdotool key ctrl+End
xdotool type --delay 30 abc
await 100 cmp -s "$app/data/a-1.txt" "$work/expected-1.txt" || fail "pane 1's file: $(od -c "$app/data/a-1.txt" | head -3)"

# Category b, a keystroke there, back to a.
click 80 451
await 100 test -e "$app/data/b-5.txt" || fail "category b was not loaded"
click 388 300
xdotool type --delay 30 q
await 100 b3_is_q || fail "pane 3 of category b was not saved"
click 14 451

# Generate, and wait for both outputs.
click 395 519
await 300 cmp -s "$app/data/a-5.txt" "$work/expected-5.txt" || fail "pane 5 was not generated"
cmp -s "$app/data/a-4.txt" "$work/expected-4.txt" || fail "a-4.txt differs"
cmp -s "$app/data/a-1.txt" "$work/expected-1.txt" || fail "a-1.txt changed"
# The window as it stands after a run, away from the pointer's balloons.
xdotool mousemove 0 0
if command -v import >/dev/null 2>&1; then
    sleep 0.5
    import -window "$wid" "$screenshot" || echo "no screenshot"
fi

# A double-click on pane 4 copies it and says so in a box.
xdotool mousemove $((ox + 560)) $((oy + 30)) click --repeat 2 --delay 60 1
await 100 has_window '成功复制' || fail "no copy confirmation"
box=$(window_named '成功复制')
"$wine" "$probe" clipboard "$work/clipboard.txt" || fail "the clipboard could not be read"
cmp -s "$work/clipboard.txt" "$work/expected-4.txt" || fail "the clipboard's text differs"
cmp -s "$work/clipboard.txt.utf8" <(printf "$two") || fail "the clipboard's Unicode text differs"
# The box closes on the key's press: its release then finds no window.
xdotool key --window "$box" Return 2>/dev/null
await 100 has_no_window '成功复制' || fail "the box stayed open"

xdotool key --window "$wid" Escape
await 200 ended || fail "the program did not end"
wait "$pid"
code=$?
pid=
[ "$code" -eq 0 ] || fail "exit code $code"
# The page is opened by a process of its own that may still be writing.
await 50 test -s "$work/opened.txt"
[ "$(cat "$work/opened.txt" 2>/dev/null)" = "$makers_url" ] ||
    fail "web page requests were: $(cat "$work/opened.txt" 2>/dev/null || echo none)"
[ -z "$(ls "$work/elsewhere")" ] || fail "files were made in the folder the program was started from"
echo PASS
