#!/usr/bin/env bash
# CPU use of the panel while it polls a supply: starts ovolta-sim and the panel
# (offscreen) on a scratch data folder, lets it poll for the given seconds
# (default 30) and reports the panel's CPU time as a share of one core.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
build="${BUILD_DIR:-build}"
data=$(mktemp -d)
trap 'kill "$sim" "$panel" 2>/dev/null || true; rm -rf "$data"' EXIT

"$build"/ovolta-sim --data-dir "$data" --port 1 --model 5812 --load 10 --trace "$data/trace.txt" >/dev/null &
sim=$!
for _ in $(seq 100); do [ -e "$data/ports/Com1" ] && break; sleep 0.1; done
QT_QPA_PLATFORM=offscreen "$build"/ovolta-panel --data-dir "$data" &
panel=$!
sleep 3  # start-up and connection
ticks=$(getconf CLK_TCK)
read -r u0 s0 < <(awk '{print $14, $15}' /proc/$panel/stat)
sleep "$seconds"
read -r u1 s1 < <(awk '{print $14, $15}' /proc/$panel/stat)
polls=$(grep -c GETD "$data/trace.txt" || true)
awk -v u="$((u1 - u0))" -v s="$((s1 - s0))" -v t="$ticks" -v sec="$seconds" -v p="$polls" 'BEGIN {
  cpu = (u + s) / t
  printf "panel CPU over %ds of polling: %.2f s = %.2f%% of one core (%d GETD polls)\n", sec, cpu, 100 * cpu / sec, p
}'
