#!/usr/bin/env bash
# Regenerates the pictures in docs/images/ (the README's screenshot and its 150 % twin) from the
# screenshot test, which lays out and paints the main window offscreen at work.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
cmake --build "$build" --target test_ui_tools
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
KESTRUM_SCREENSHOT_DIR=$work QT_QPA_PLATFORM=offscreen \
    "$build/tests/test_ui_tools" \
    --gtest_filter='ScreenshotTest.MainWindowWithACommandSetAndTraffic'
mkdir -p "$root/docs/images"
cp "$work/main-window.png" "$work/main-window-150.png" "$root/docs/images/"
echo "docs/images/main-window.png and main-window-150.png written"
