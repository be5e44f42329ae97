#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for the given seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-20}"
if ! command -v clang++ >/dev/null; then
  echo "fuzz: clang++ not found, skipped"
  exit 0
fi
if ! ls tests/fuzz/*.cpp >/dev/null 2>&1; then
  exit 0
fi
CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DOVOLTA_FUZZ=ON -DOVOLTA_BUILD_TESTS=OFF -DOVOLTA_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined" >/dev/null
cmake --build build-fuzz -j "$(nproc)" --target $(cd tests/fuzz && ls *.cpp | sed "s/\.cpp$//" | tr "\n" " ")
for source in tests/fuzz/*.cpp; do
  name=$(basename "$source" .cpp)
  echo "fuzz: $name for ${seconds}s"
  corpus="build-fuzz/corpus-$name"
  mkdir -p "$corpus"
  build-fuzz/tests/fuzz/"$name" -max_total_time="$seconds" -rss_limit_mb=2048 \
    -print_final_stats=1 "$corpus" 2>&1 | tail -n 3
done
echo "fuzz: all targets ran without a finding"
