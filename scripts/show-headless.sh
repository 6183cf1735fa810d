#!/usr/bin/env bash
# Runs inside xvfb-run: starts the program, saves a screenshot, keeps it running until Ctrl+C.
set -uo pipefail
build/morvelin &
pid=$!
trap 'kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; exit 0' INT TERM
for _ in $(seq 1 100); do
    xdotool search --name '^Morvelin V8.8$' >/dev/null 2>&1 && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
sleep 1
import -window root build/screenshot.png && echo "Screenshot saved to $(pwd)/build/screenshot.png"
echo "The program is running on the virtual display; press Ctrl+C to end it."
wait "$pid"
