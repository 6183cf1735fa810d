#!/bin/sh
# One Wine session, on a display of its own, for a whole CTest run of the Windows programs.
#   wine-session.sh start BUILD_DIR WINESERVER WINEBOOT   starts Xvfb and the Wine session
#   wine-session.sh run BUILD_DIR COMMAND...             runs COMMAND on that display
#   wine-session.sh end BUILD_DIR WINESERVER             ends both
# The Wine prefix and the rest of Wine's settings come from the environment. Windows need a
# display, and Wine's desktop process takes the display its session started with: so the session
# starts on the virtual display, and every test program runs on it.
set -u
action=$1
state=$2/wine-session
shift 2

case $action in
start)
    wineserver=$1
    wineboot=$2
    mkdir -p "$state" "$WINEPREFIX"
    rm -f "$state/display" "$state/xvfb.pid"
    if command -v Xvfb >/dev/null 2>&1; then
        # -displayfd: Xvfb picks a free display and writes its number once it is ready.
        Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$state/display" \
            </dev/null >/dev/null 2>&1 &
        echo $! >"$state/xvfb.pid"
        tries=0
        while [ ! -s "$state/display" ] && [ $tries -lt 100 ]; do
            sleep 0.1
            tries=$((tries + 1))
        done
        [ -s "$state/display" ] && DISPLAY=:$(tr -d '\n' <"$state/display") && export DISPLAY
    fi
    # The first Wine program of a session starts Wine's own services, which live as long as the
    # wine server and keep the output of the test that started them open: none of it goes to
    # CTest. -p120: the server outlives the gaps between tests, and still ends on its own if the
    # run is interrupted before the end.
    exec </dev/null >/dev/null 2>&1
    "$wineserver" -p120 || true
    "$wineboot"
    # Windows that no window manager manages: without one, closing a managed window waits two
    # seconds for an answer that never comes.
    "$(dirname "$wineboot")/wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
    ;;
run)
    if [ -s "$state/display" ]; then
        DISPLAY=:$(tr -d '\n' <"$state/display")
        export DISPLAY
    fi
    exec "$@"
    ;;
end)
    "$1" -k 2>/dev/null || true
    if [ -s "$state/xvfb.pid" ]; then
        kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
    fi
    rm -f "$state/display" "$state/xvfb.pid"
    ;;
esac
