#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package from the CI build and inspects it: its files, its dependencies,
# its desktop entry, and the installed program started from a temporary root.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/ci
rm -rf "$build/package"
cpack --config "$build/CPackConfig.cmake" -B "$build/package" >/dev/null
deb=$(ls "$build"/package/ostrelo_*_amd64.deb)
echo "package: $deb"

files=$(dpkg-deb -c "$deb" | awk '{print $6}')
for wanted in ./usr/bin/ostrelo ./usr/bin/ostrelo-simgame \
    ./usr/share/applications/ostrelo.desktop \
    ./usr/share/icons/hicolor/128x128/apps/ostrelo.png \
    ./usr/share/man/man1/ostrelo.1.gz ./usr/share/man/man1/ostrelo-simgame.1.gz \
    ./usr/share/doc/ostrelo/README.md ./usr/share/doc/ostrelo/copyright \
    ./usr/share/doc/ostrelo/changelog.gz; do
    grep -qx "$wanted" <<<"$files" || { echo "missing from the package: $wanted"; exit 1; }
done

depends=$(dpkg-deb -f "$deb" Depends)
for wanted in libqt6widgets6 libqt6network6 libqrencode4 libxcb1 qt6-qpa-plugins \
    libqt6sql6-sqlite libqt6charts6 libqt6texttospeech6 qt6-speech-speechd-plugin; do
    grep -q "$wanted" <<<"$depends" || { echo "missing dependency: $wanted"; exit 1; }
done

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/ostrelo.desktop"
version=$(QT_QPA_PLATFORM=offscreen "$root/usr/bin/ostrelo" --version)
[ "$version" = "Ostrelo 1.1.1.20" ] || { echo "unexpected version: $version"; exit 1; }
"$root/usr/bin/ostrelo-simgame" --help >/dev/null
[ "$(dpkg-deb -f "$deb" Section)" = utils ] || { echo "the package belongs in Section utils"; exit 1; }
# Debian's own package checker: no error and no warning.
lintian --fail-on error,warning "$deb"
echo "package checked"
