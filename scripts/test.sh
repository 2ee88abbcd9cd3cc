#!/usr/bin/env bash
# Installs what is missing, builds Ostrelo with warnings as errors and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset ci >/dev/null
cmake --build --preset ci
# Widget tests use Qt's offscreen platform; tests that need a real X server start their own.
ctest --preset ci
