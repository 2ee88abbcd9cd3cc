#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what a fresh Debian 12 machine lacks to build, test and run Ostrelo.
# Safe to run again: packages already present are left alone.
set -euo pipefail

packages=(
    g++ cmake ninja-build ccache pkg-config
    qt6-base-dev libgl-dev libxcb1-dev qt6-websockets-dev libqrencode-dev qt6-charts-dev
    libqt6sql6-sqlite libqt6opengl6-dev
    googletest libgtest-dev
    xvfb xauth locales fonts-dejavu-core fonts-roboto-unhinted chromium python3
    openbox libxcb-shape0-dev libxcb-xtest0-dev
    qt6-speech-dev qt6-declarative-dev qt6-speech-speechd-plugin speech-dispatcher
    speech-dispatcher-espeak-ng espeak-ng sox
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix wine wine64
    dpkg-dev desktop-file-utils lintian
    clang libclang-rt-dev
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

if [ "${#missing[@]}" -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
fi

# The tests check that a comma locale changes nothing.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
    as_root localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi
