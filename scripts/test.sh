#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds Ostrelo with warnings as errors and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset ci >/dev/null
cmake --build --preset ci
# The Windows build: its libraries without Qt, its backend and the simulated game for
# Windows, with their tests run under Wine.
scripts/test-windows.sh
# Widget tests use Qt's offscreen platform; tests that need a real X server start their own.
ctest --preset ci
scripts/check-package.sh
# The whole suite once more under AddressSanitizer and UndefinedBehaviorSanitizer.
cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan
# Each fuzz target for a few seconds on its seed corpus.
scripts/fuzz.sh 5
