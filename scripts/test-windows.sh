#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows build, tested under Wine: the libraries without Qt, the Win32 backend, the
# simulated game for Windows and their tests, cross-built with MinGW-w64 (preset mingw) and
# run under wine64 in a Wine prefix of their own (build/mingw/wine, made on first use) on a
# private X display. Says how long it took.
set -euo pipefail
cd "$(dirname "$0")/.."

start=$SECONDS
cmake --preset mingw >/dev/null
cmake --build --preset mingw --parallel "$(nproc)"
export WINEPREFIX="$PWD/build/mingw/wine"
# A Wine server left from an earlier run would still use that run's display.
wineserver -k 2>/dev/null || true
status=0
xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
    sh -c 'mkdir -p "$WINEPREFIX"
           # One Wine server for the whole run: one that ends between two tests (it does so
           # a few seconds after its last program) resets the connection of the next.
           wineserver -p
           status=0; ctest --preset mingw || status=$?; wineserver -k 2>/dev/null; exit $status' ||
    status=$?
echo "Windows build and tests under Wine: $((SECONDS - start)) s"
exit "$status"
