#!/usr/bin/env bash
# Installs what is missing, builds Ostrelo and starts it. Arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target ostrelo
exec build/release/src/app/ostrelo "$@"
