#!/usr/bin/env bash
# Screenshots of every tab of the panel connected to the simulated supply, at
# the window's smallest size and at a large one, into docs/.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${BUILD_DIR:-build}"
data=$(mktemp -d)
"$build"/ovolta-sim --data-dir "$data" --port 1 --model 5812 --load 10 >/dev/null &
sim=$!
trap 'kill "$sim" 2>/dev/null || true; rm -rf "$data"' EXIT
for _ in $(seq 100); do [ -e "$data/ports/Com1" ] && break; sleep 0.1; done
shoot() {  # tab size file
  xvfb-run -a -s "-screen 0 1600x1000x24" "$build"/ovolta-panel --data-dir "$data" \
    --tab "$1" --size "$2" --screenshot "docs/$3" --quit-after 4000 2>/dev/null
}
shoot 1 100x100 panel.png
for tab in 1 2 3 4; do
  shoot "$tab" 100x100 "tab-$tab-small.png"
  shoot "$tab" 1400x900 "tab-$tab-large.png"
done
echo "screenshots in docs/"
