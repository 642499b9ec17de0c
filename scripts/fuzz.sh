#!/usr/bin/env bash
# Builds the BMP fuzz target with clang into build-fuzz and runs it for the given number of
# seconds (default 60) on a copy of the seed corpus. Fails when the fuzzer finds a crash, a
# leak, a hang or a sanitizer report; what it found is kept in build-fuzz/findings/.
#
# Usage: scripts/fuzz.sh [SECONDS] [extra libFuzzer options...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true

dir=build-fuzz
cmake -S . -B "$dir" -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUINTOREL_FUZZ=ON -DQUINTOREL_BUILD_APP=OFF -DQUINTOREL_BUILD_TESTS=OFF \
  -DQUINTOREL_BUILD_BENCH=OFF >/dev/null
cmake --build "$dir" --target bitmap_fuzzer

# The fuzzer adds what it learns to its first corpus directory: a copy keeps the committed
# seeds as they are.
work=$dir/corpus
findings=$dir/findings
mkdir -p "$work" "$findings"
cp fuzz/corpus/* "$work"/

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
"$dir/fuzz/bitmap_fuzzer" "$work" -max_total_time="$seconds" -max_len=65536 \
  -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 -artifact_prefix="$findings/" "$@"
