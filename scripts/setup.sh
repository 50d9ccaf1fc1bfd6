#!/usr/bin/env bash
# Installs the Debian packages the project needs to build, run and test, and
# with --with-tests generates the ru_RU.UTF-8 locale the window tests use.
# Idempotent: when everything is present it only checks and returns.
# Usage: scripts/setup.sh [--with-tests]
set -euo pipefail

build_pkgs=(cmake ninja-build g++ pkg-config)
window_pkgs=(qt6-base-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools qt6-svg-dev fonts-dejavu-core)
audio_pkgs=(libavformat-dev libavcodec-dev libswresample-dev libavutil-dev libsdl2-dev)
workbook_pkgs=(libzip-dev zipcmp zipmerge ziptool libpugixml-dev)
cli_pkgs=(libcli11-dev nlohmann-json3-dev)
speech_pkgs=(libespeak-ng-dev espeak-ng-data libebur128-dev)
device_pkgs=(flashrom)
test_pkgs=(libgtest-dev libgmock-dev libbenchmark-dev ffmpeg python3-openpyxl clang libclang-rt-14-dev espeak-ng xvfb xauth locales)
# The window tests run once more for a Russian user (a decimal comma in the C
# library); this locale is generated when it is missing.
test_locale=ru_RU.UTF-8

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

sudo=""
if [[ $(id -u) -ne 0 ]]; then
    sudo="sudo"
fi

if [[ ${#missing[@]} -gt 0 ]]; then
    echo "Installing missing packages: ${missing[*]}"
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

if [[ "${1:-}" == "--with-tests" ]]; then
    # locale -a spells it "ru_RU.utf8".
    if ! locale -a 2>/dev/null | grep -qix "${test_locale%%.*}.utf-\?8"; then
        echo "Generating the locale $test_locale for the tests"
        $sudo localedef -i "${test_locale%%.*}" -f UTF-8 "$test_locale"
    fi
fi
