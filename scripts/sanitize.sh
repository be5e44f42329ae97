#!/usr/bin/env bash
# Builds everything with clang under AddressSanitizer and UndefinedBehaviorSanitizer
# (plus the libFuzzer targets), runs the whole test suite there and fails on any
# report, then runs each fuzz target for a bounded time (FUZZ_SECONDS, default 20).
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v clang++ >/dev/null; then
  echo "sanitize: clang++ not found, skipped"
  exit 0
fi
flags="-fsanitize=address,undefined,fuzzer-no-link -fno-sanitize-recover=all -fno-omit-frame-pointer"
CXX=clang++ cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DOVOLTA_WERROR=OFF \
  -DOVOLTA_BUILD_BENCH=OFF -DOVOLTA_MAN_PAGES=OFF -DOVOLTA_FUZZ=ON -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build build-asan -j "$(nproc)"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
ctest --test-dir build-asan --output-on-failure -j "$(nproc)" --timeout 600 -LE package

seconds="${FUZZ_SECONDS:-20}"
for source in tests/fuzz/*.cpp; do
  name=$(basename "$source" .cpp)
  corpus="build-asan/corpus-$name"
  mkdir -p "$corpus"
  echo "fuzz: $name for ${seconds}s"
  build-asan/tests/fuzz/"$name" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=1 \
    "$corpus" 2>&1 | tail -n 3
done
echo "sanitize: tests and fuzz targets ran without a report"
