#!/usr/bin/env bash
# Installs what is missing, builds everything and starts the program (build/morvelin).
# Without a display the program runs under xvfb-run; a screenshot goes to build/screenshot.png.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh

ensure_packages "${BUILD_PACKAGES[@]}"
build_preset default

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec build/morvelin
fi

echo "No display found: starting the program under xvfb-run."
exec xvfb-run -a -s "-screen 0 1280x800x24" bash scripts/show-headless.sh
