#!/usr/bin/env bash
# Types Chinese into pane 1 of the real program through a real input method: ibus with the
# libpinyin engine under a virtual X server, in a D-Bus session of its own. Types "zhongwen" and
# a space, then checks that data/a-1.txt holds 中文 (d6 d0 ce c4) and was written exactly once:
# the pinyin and the provisional guesses of the composition never reach the file.
#   pinyin_input.sh PROGRAM
# Every wait is bounded; a missing or silent input method fails with a message, it never hangs.
set -uo pipefail
program=${1:?program file}

for tool in xvfb-run xdotool dbus-run-session ibus-daemon ibus inotifywait iconv cmp; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: $tool is not installed"
        exit 77
    fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/app/data" "$work/home" "$work/bin"
cp "$program" "$work/app/morvelin"
: >"$work/app/data/a-1.txt"
printf '\xd6\xd0\xce\xc4' >"$work/expected-1.txt"
# No web page at the end.
printf '#!/bin/sh\n' >"$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"

cat >"$work/drive.sh" <<'DRIVE'
set -u
work=$1
fail() {
    echo "FAIL: $*"
    [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null
    [ -n "${watcher:-}" ] && kill "$watcher" 2>/dev/null
    ibus exit >/dev/null 2>&1
    exit 3
}
export HOME=$work/home QT_IM_MODULE=ibus XMODIFIERS=@im=ibus GTK_IM_MODULE=ibus
ibus-daemon --daemonize --replace --xim --panel=disable
engine=
for _ in $(seq 1 100); do
    # Setting the engine reports failure even where it takes: ask for it afterwards.
    ibus engine libpinyin >/dev/null 2>&1
    engine=$(ibus engine 2>/dev/null)
    [ "$engine" = libpinyin ] && break
    sleep 0.1
done
[ "$engine" = libpinyin ] || fail "ibus did not come up with the libpinyin engine (engine: '${engine}')"

cd "$work/app"
./morvelin &
pid=$!
wid=
for _ in $(seq 1 300); do
    wid=$(xdotool search --onlyvisible --name '^Morvelin V8.8$' 2>/dev/null | head -n 1)
    [ -n "$wid" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
[ -n "$wid" ] || fail "the window did not appear"

# Every write of a-1.txt from here on: a replace moves a new file onto it, an in-place save
# closes it after writing.
inotifywait -m -e moved_to -e close_write --format '%e %f' "$work/app/data" \
    >"$work/writes.txt" 2>"$work/watch.txt" &
watcher=$!
for _ in $(seq 1 50); do
    grep -q 'Watches established' "$work/watch.txt" 2>/dev/null && break
    sleep 0.1
done
grep -q 'Watches established' "$work/watch.txt" || fail "cannot watch the data folder"

# Pane 1 is at 1,20 in the window, 150 x 400.
xdotool windowfocus --sync "$wid" 2>/dev/null
xdotool mousemove --window "$wid" 76 220 click 1
sleep 0.5
ibus engine libpinyin >/dev/null 2>&1
xdotool type --delay 150 zhongwen
xdotool key space
for _ in $(seq 1 100); do
    [ -s "$work/app/data/a-1.txt" ] && break
    sleep 0.1
done
# Time for any late write to show.
sleep 1
xdotool key --window "$wid" Escape
for _ in $(seq 1 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
kill "$pid" 2>/dev/null && fail "the program did not end on Esc"
wait "$pid"
echo "exit code: $?" >"$work/exit.txt"
kill "$watcher" 2>/dev/null
ibus exit >/dev/null 2>&1
exit 0
DRIVE

export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$(cd "$(dirname "$0")" && pwd)/lsan.supp"
PATH="$work/bin:$PATH" timeout 100 xvfb-run -a -s "-screen 0 1280x800x24" \
    dbus-run-session -- bash "$work/drive.sh" "$work"
status=$?
[ "$status" -eq 0 ] || { echo "FAIL: the run ended with $status"; exit 1; }

failed=0
saves=$(grep -c ' a-1\.txt$' "$work/writes.txt" 2>/dev/null)
if ! cmp -s "$work/app/data/a-1.txt" "$work/expected-1.txt"; then
    echo "FAIL: a-1.txt holds '$(od -An -tx1 "$work/app/data/a-1.txt" | tr -s ' ')'" \
        "instead of d6 d0 ce c4 (Latin letters: the input method did not take the keys)"
    failed=1
fi
if [ "$saves" != 1 ]; then
    echo "FAIL: a-1.txt was written ${saves:-0} times for one committed word:"
    cat "$work/writes.txt"
    failed=1
fi
if [ "$(cat "$work/exit.txt" 2>/dev/null)" != "exit code: 0" ]; then
    echo "FAIL: $(cat "$work/exit.txt" 2>/dev/null || echo 'no exit code')"
    failed=1
fi
[ "$failed" -eq 0 ] && echo "PASS"
exit "$failed"
