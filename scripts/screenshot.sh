#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the simulated game and Ostrelo on a private X server and saves pictures of the
# dashboard at its design size and enlarged, of the About window and of the phone dash, in
# docs/screenshots.
# Usage: scripts/screenshot.sh [seconds to wait for a live dashboard]
set -euo pipefail
cd "$(dirname "$0")/.."

wait_seconds=${1:-20}
out=docs/screenshots

scripts/install-deps.sh
if ! command -v import >/dev/null || ! command -v xdotool >/dev/null; then
    as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        imagemagick xdotool >/dev/null
fi
cmake --preset release >/dev/null
cmake --build --preset release --target ostrelo ostrelo-simgame
mkdir -p "$out"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat > "$work/run.sh" <<INNER
#!/usr/bin/env bash
set -e
build/release/tools/simgame/ostrelo-simgame --speed 3 -geometry +1100+0 >/dev/null &
game=\$!
build/release/src/app/ostrelo --config "$work/Ostrelo.ini" --web 127.0.0.1:8097 2>/dev/null &
ostrelo=\$!
sleep $wait_seconds
window=\$(xdotool search --name '^Ostrelo\$' | head -n 1)
import -window "\$window" "$out/dashboard.png"
xdotool windowsize "\$window" 972 0
sleep 1
import -window "\$window" "$out/dashboard-large.png"
xdotool windowsize "\$window" 648 0
sleep 1
# The About entry is the last one on the menu bar.
xdotool mousemove --window "\$window" 355 8 click 1
sleep 1
import -window "\$(xdotool search --name 'Acerca de Ostrelo' | head -n 1)" "$out/about.png"
scripts/dash-screenshots.py \
    "http://127.0.0.1:8097/dash?lang=English&tiles=gear,rpm,speed,last,delta,position,lap,fuellaps,fuel,tyres" \
    "$out/dash"
kill \$ostrelo \$game
INNER
chmod +x "$work/run.sh"
xvfb-run -a -s "-screen 0 1600x1200x24 -dpi 96" "$work/run.sh"
echo "saved $out/dashboard.png, $out/dashboard-large.png, $out/about.png and $out/dash-*.png"
