#!/usr/bin/env bash
# Runs clang-tidy with the checked-in configuration over every source of the
# program (not the tests), using the compile commands of build/.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
[ -f "$build/compile_commands.json" ] || { echo "tidy: configure $build first"; exit 1; }
tidy=$(command -v clang-tidy || command -v clang-tidy-14)
files=$(ls core/*.cpp device/*.cpp panel/*.cpp programs/*.cpp storage/*.cpp datalog/*.cpp app/*.cpp sim/*.cpp session/*.cpp cli/*.cpp)
printf '%s\n' $files | xargs -P "$(nproc)" -n 4 "$tidy" -p "$build" --quiet 2>/dev/null | tee "$build/tidy.log"
if grep -q "error:\|warning:" "$build/tidy.log"; then
  echo "tidy: findings above"
  exit 1
fi
echo "tidy: clean"
