#!/usr/bin/env bash
# Installs what is missing, builds, starts the virtual supply (model 5812 with a
# 10 ohm load) on Com1 of a fresh demo data folder and runs the panel on it.
# Without a display the panel runs under a virtual X server, saves a screenshot
# of the window after the first readings to demo.png and exits.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh

data="$PWD/demo-data"
rm -rf "$data"
mkdir -p "$data"
build/ovolta-sim --data-dir "$data" --port 1 --model 5812 --load 10 --trace "$data/trace.txt" &
sim=$!
trap 'kill "$sim" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  [ -e "$data/ports/Com1" ] && break
  sleep 0.1
done

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  build/ovolta-panel --data-dir "$data"
else
  xvfb-run -a -s "-screen 0 1280x900x24" \
    build/ovolta-panel --data-dir "$data" --screenshot "$PWD/demo.png" --quit-after 6000
  echo "Screenshot of the panel: $PWD/demo.png"
fi
echo "Commands the supply received: $data/trace.txt"
