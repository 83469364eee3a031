#!/usr/bin/env bash
# Redraws the toolbar images in resources/icons/ and the application icon in
# resources/app-icon/ from scripts/draw_icons.cpp.
# Usage: scripts/draw-icons.sh [CONTACT_SHEET.png]
# The PNG and SVG files are committed; run this only after changing the drawing code.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if pkg-config --exists Qt6Gui Qt6Svg; then
  qt_flags=$(pkg-config --cflags --libs Qt6Gui Qt6Svg)
else
  # Without Qt's pkg-config files, fall back to the Debian install layout.
  inc=/usr/include/x86_64-linux-gnu/qt6
  qt_flags="-I$inc -I$inc/QtCore -I$inc/QtGui -I$inc/QtSvg -lQt6Svg -lQt6Gui -lQt6Core"
fi

# shellcheck disable=SC2086 # qt_flags holds several words on purpose
g++ -std=c++20 -fPIC -O1 -Wall -Wextra -o "$work/draw_icons" \
  "$root/scripts/draw_icons.cpp" $qt_flags

args=("$root/resources/icons" --app "$root/resources/app-icon")
[[ $# -ge 1 ]] && args+=(--sheet "$1")
QT_QPA_PLATFORM=offscreen "$work/draw_icons" "${args[@]}"
echo "Images written to $root/resources/icons and $root/resources/app-icon"
