#!/bin/sh
# Makes docs/screenshot.png: the editor window with a small project open,
# drawn offscreen by the GUI test that builds that project.
# Usage: scripts/screenshot.sh [build folder]   (default: build)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
case $build in /*) ;; *) build=$root/$build ;; esac
cmake --build "$build" --target app_window_tests
QT_QPA_PLATFORM=offscreen ZADARAVOD_APP_DIR="$build/bin" \
    ZADARAVOD_SCREENSHOT="$root/docs/screenshot.png" \
    "$build/tests/gui_tests" --gtest_filter='WindowTest.ScreenshotOfASmallProject'
echo "Wrote $root/docs/screenshot.png"
