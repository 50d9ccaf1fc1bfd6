#!/usr/bin/env bash
# Installs the Debian packages the project needs to build, run and test.
# Idempotent: when every package is present it only checks and returns.
# Usage: scripts/setup.sh [--with-tests]
set -euo pipefail

build_pkgs=(cmake ninja-build g++ pkg-config)
window_pkgs=(qt6-base-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools qt6-svg-dev fonts-dejavu-core)
audio_pkgs=(libavformat-dev libavcodec-dev libswresample-dev libavutil-dev libsdl2-dev)
workbook_pkgs=(libzip-dev zipcmp zipmerge ziptool libpugixml-dev)
cli_pkgs=(libcli11-dev nlohmann-json3-dev)
speech_pkgs=(libespeak-ng-dev espeak-ng-data libebur128-dev)
device_pkgs=(flashrom)
test_pkgs=(libgtest-dev libgmock-dev libbenchmark-dev ffmpeg python3-openpyxl clang libclang-rt-14-dev espeak-ng xvfb xauth)

wanted=("${build_pkgs[@]}" "${window_pkgs[@]}" "${audio_pkgs[@]}" "${workbook_pkgs[@]}"
        "${cli_pkgs[@]}" "${speech_pkgs[@]}" "${device_pkgs[@]}")
if [[ "${1:-}" == "--with-tests" ]]; then
    wanted+=("${test_pkgs[@]}")
fi

missing=()
for pkg in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$pkg")
    fi
done

if [[ ${#missing[@]} -eq 0 ]]; then
    exit 0
fi

echo "Installing missing packages: ${missing[*]}"
sudo=""
if [[ $(id -u) -ne 0 ]]; then
    sudo="sudo"
fi
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
