#!/usr/bin/env bash
# Pictures the main window at work (a song loaded, its strip previewing the sheet) and the About
# dialog, under a virtual X server.
# Usage: scripts/screenshots.sh [folder]   (default docs/; QT_SCALE_FACTOR=2 pictures them at 2×)
set -euo pipefail
cd "$(dirname "$0")/.."
out="$(realpath -m "${1:-docs}")"
build=build/screenshots

bash scripts/deps.sh --tests
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON >/dev/null
cmake --build "$build" --target lrc_screenshots
mkdir -p "$out"
# No window manager runs on the virtual server, so what is pictured is the skin's own frame.
xvfb-run -a -s "-screen 0 1920x1200x24" \
  env QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8 "$build/tests/app/lrc_screenshots" "$out"
