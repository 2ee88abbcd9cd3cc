#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds a release and makes the Debian package
# build/release/ostrelo_<version>_amd64.deb.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target ostrelo ostrelo-simgame ostrelo_man_page
cpack --config build/release/CPackConfig.cmake -B build/release
