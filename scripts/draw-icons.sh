#!/usr/bin/env bash
# Redraws the toolbar images in resources/icons/ and the application icon in
# resources/app-icon/ from scripts/draw_icons.cpp.
# Usage: scripts/draw-icons.sh [CONTACT_SHEET.png]
# The PNG and SVG files are committed; run this only after changing the drawing code.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# The drawer is the CMake target kestrum_draw_icons, built in a folder of its own so that
# the other build folders keep their settings.
build=${KESTRUM_ICONS_BUILD_DIR:-$root/build-icons}

bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRUM_BUILD_TESTS=OFF \
  -DKESTRUM_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target kestrum_draw_icons

args=("$root/resources/icons" --app "$root/resources/app-icon")
[[ $# -ge 1 ]] && args+=(--sheet "$1")
QT_QPA_PLATFORM=offscreen "$build/kestrum_draw_icons" "${args[@]}"
echo "Images written to $root/resources/icons and $root/resources/app-icon"
