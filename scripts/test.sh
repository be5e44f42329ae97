#!/usr/bin/env bash
# Installs what is missing, builds, runs every test through CTest and clang-tidy; then, when
# clang is present, runs the whole suite again under AddressSanitizer and
# UndefinedBehaviorSanitizer and each fuzz target for a bounded time. Exits
# non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j "$(nproc)" --timeout 300
scripts/tidy.sh build
scripts/sanitize.sh
