#!/usr/bin/env bash
# Builds and runs every test CI checks: the suite, the suite again under the sanitizers, the
# tests that make clips on several threads under ThreadSanitizer, and a
# minute of fuzzing the BMP decoder.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh build
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j2
scripts/sanitize.sh
scripts/tsan.sh
scripts/fuzz.sh 60
