#!/usr/bin/env bash
# Sample prints for the docs: the Data Log tab with a live log recorded from the
# virtual supply, and an External Timed Program table, each printed to PDF by
# the panel's own printing code (the print-sample program built beside the
# tests) and turned into docs/log-print.png and docs/table-print.png.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${BUILD_DIR:-build}"

if ! command -v pdftoppm >/dev/null; then
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -q
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends poppler-utils
fi

if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-Debug}"
fi
ninja -C "$build" -j "${JOBS:-2}" print-sample

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
QT_QPA_PLATFORM=offscreen "$build/tests/print-sample" "$out"

for name in log-print table-print; do
  if [ ! -s "$out/$name.pdf" ]; then
    echo "print-sample: $name.pdf was not written" >&2
    exit 1
  fi
  pdftoppm -png -r 60 -singlefile "$out/$name.pdf" "docs/$name"
done
echo "docs/log-print.png and docs/table-print.png written"
