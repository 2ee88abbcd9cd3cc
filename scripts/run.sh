#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds Ostrelo and starts it. Arguments go to the program:
# "scripts/run.sh --demo" also starts the simulated game, so the dashboard comes alive.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target ostrelo ostrelo-simgame
exec build/release/src/app/ostrelo "$@"
