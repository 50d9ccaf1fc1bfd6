#!/usr/bin/env bash
# Installs the Debian packages the project needs, and with --with-tests
# generates the ru_RU.UTF-8 locale the window tests use. Idempotent: when
# everything is present it only checks and returns.
#
# Usage: scripts/setup.sh [--with-tests] [--with-format] [--with-package]
#   (always)        what `make`, `make run`, `make install` and the demo need
#   --with-tests    also what `make test`, `make test-asan`, `make fuzz` and `make bench` use
#   --with-format   also what `make format` and `make format-check` use
#   --with-package  also what `make package` and CI's checks of the package use
#
# As root it runs apt-get itself, as another user through sudo. With neither
# it prints the apt-get command line that installs what is missing and exits
# with status 1.
set -euo pipefail

# Each group names what uses it; every package is used by something named.
# Configuring and building (the tests and benchmarks are built by default,
# the manual pages are made with scdoc):
build_pkgs=(cmake ninja-build g++ pkg-config scdoc libgtest-dev libgmock-dev)
# lupdate and lrelease build the English translation (LinguistTools).
window_pkgs=(qt6-base-dev qt6-svg-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools)
audio_pkgs=(libavformat-dev libavcodec-dev libswresample-dev libavutil-dev libsdl2-dev)
workbook_pkgs=(libzip-dev zipcmp zipmerge ziptool libpugixml-dev)
cli_pkgs=(libcli11-dev nlohmann-json3-dev)
speech_pkgs=(libespeak-ng-dev libebur128-dev)
# Running: a font for the windows and the help pages, the voices of the
# speech code, the download utility's flashrom, python3 for the demo's tones,
# Qt's own translations (Russian standard buttons and file dialogs).
run_pkgs=(fonts-dejavu-core espeak-ng-data flashrom python3 qt6-translations-l10n)
# Tests: MP3/WMA fixtures (ffmpeg), the independent workbook reader
# (python3-openpyxl), the fuzzers (clang and its runtime), the speech
# benchmark (espeak-ng), the test locale (locales).
test_pkgs=(ffmpeg python3-openpyxl clang libclang-rt-14-dev espeak-ng locales)
# Formatting: clang-format over the files git tracks.
format_pkgs=(clang-format git)
# The package: dpkg-shlibdeps (dpkg-dev) and file for CPack's dependency
# scan; desktop-file-validate and appstreamcli for CI's checks.
package_pkgs=(dpkg-dev file desktop-file-utils appstream)
# The window tests run once more for a Russian user (a decimal comma in the C
# library); this locale is generated when it is missing.
test_locale=ru_RU.UTF-8

with_tests=0
wanted=("${build_pkgs[@]}" "${window_pkgs[@]}" "${audio_pkgs[@]}" "${workbook_pkgs[@]}"
        "${cli_pkgs[@]}" "${speech_pkgs[@]}" "${run_pkgs[@]}")
for option in "$@"; do
    case $option in
        --with-tests) with_tests=1; wanted+=("${test_pkgs[@]}") ;;
        --with-format) wanted+=("${format_pkgs[@]}") ;;
        --with-package) wanted+=("${package_pkgs[@]}") ;;
        *)
            echo "setup.sh: unknown option $option" >&2
            echo "Usage: scripts/setup.sh [--with-tests] [--with-format] [--with-package]" >&2
            exit 2
            ;;
    esac
done

missing=()
for pkg in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$pkg")
    fi
done

need_locale=0
if [[ $with_tests -eq 1 ]]; then
    # locale -a spells it "ru_RU.utf8".
    if ! locale -a 2>/dev/null | grep -qix "${test_locale%%.*}.utf-\?8"; then
        need_locale=1
    fi
fi
if [[ ${#missing[@]} -eq 0 && $need_locale -eq 0 ]]; then
    exit 0
fi

# Who may install: root itself, or a user through sudo.
as_root=()
if [[ $(id -u) -ne 0 ]]; then
    if ! command -v sudo >/dev/null 2>&1; then
        echo "These Debian packages are missing and this user cannot install them (not root, no sudo)." >&2
        if [[ ${#missing[@]} -gt 0 ]]; then
            echo "Install them as root with:" >&2
            echo "  apt-get update && apt-get install -y --no-install-recommends ${missing[*]}" >&2
        fi
        if [[ $need_locale -eq 1 ]]; then
            echo "and generate the test locale as root with:" >&2
            echo "  localedef -i ${test_locale%%.*} -f UTF-8 $test_locale" >&2
        fi
        exit 1
    fi
    as_root=(sudo)
fi

if [[ ${#missing[@]} -gt 0 ]]; then
    echo "Installing missing packages: ${missing[*]}"
    "${as_root[@]}" apt-get update
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y --no-install-recommends "${missing[@]}"
fi
if [[ $need_locale -eq 1 ]]; then
    echo "Generating the locale $test_locale for the tests"
    "${as_root[@]}" localedef -i "${test_locale%%.*}" -f UTF-8 "$test_locale"
fi
