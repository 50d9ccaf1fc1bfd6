#!/usr/bin/env bash
# Starts the editor when a display is available; otherwise says so and runs
# the command-line demo instead. The editor exits with status 3 when it
# cannot reach the display it was given.
set -uo pipefail
build=${1:-build}
editor="$build/bin/zadaravod"
if [[ -x "$editor" ]] && { [[ -n "${DISPLAY:-}" ]] || [[ -n "${WAYLAND_DISPLAY:-}" ]]; }; then
    "$editor"
    status=$?
    [[ $status -ne 3 ]] && exit $status
    echo "The editor could not reach the display: running the command-line demo instead."
elif [[ -x "$editor" ]]; then
    echo "No display is available (DISPLAY and WAYLAND_DISPLAY are unset): running the command-line demo instead."
else
    echo "The editor was not built: running the command-line demo instead."
fi
exec "$(dirname "$0")/demo.sh" "$build"
