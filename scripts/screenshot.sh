#!/usr/bin/env bash
# Starts the simulated game and Ostrelo on a private X server and saves a picture of the
# dashboard: scripts/screenshot.sh [OUTPUT.png] [seconds to wait] [ostrelo options...]
set -euo pipefail
cd "$(dirname "$0")/.."

output=${1:-docs/screenshots/dashboard.png}
wait_seconds=${2:-20}
shift $(( $# > 2 ? 2 : $# ))

scripts/install-deps.sh
if ! command -v import >/dev/null || ! command -v xdpyinfo >/dev/null; then
    sudo_or_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
    sudo_or_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        imagemagick x11-utils >/dev/null
fi
cmake --preset release >/dev/null
cmake --build --preset release --target ostrelo ostrelo-simgame

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat > "$work/run.sh" <<INNER
#!/usr/bin/env bash
build/release/tools/simgame/ostrelo-simgame --speed 3 -geometry +780+0 >/dev/null &
game=\$!
build/release/src/app/ostrelo --config "$work/Ostrelo.ini" $* 2>/dev/null &
ostrelo=\$!
sleep $wait_seconds
import -window Ostrelo "$output"
kill \$ostrelo \$game
INNER
chmod +x "$work/run.sh"
mkdir -p "$(dirname "$output")"
xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" "$work/run.sh"
echo "saved $output"
