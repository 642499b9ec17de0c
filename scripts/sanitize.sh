#!/usr/bin/env bash
# Builds the whole test suite with AddressSanitizer, UndefinedBehaviorSanitizer and
# LeakSanitizer into build-asan and runs it. Fails on a failing test and on any sanitizer
# report, also one from a process a test starts (quintorel-cli), whatever that test checks.
#
# Usage: scripts/sanitize.sh [extra CMake options...]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=build-asan

cmake -S . -B "$dir" -G Ninja -DQUINTOREL_SANITIZE=ON -DQUINTOREL_BUILD_BENCH=OFF "$@" >/dev/null
cmake --build "$dir"

reports=$PWD/$dir/sanitizer-reports
rm -rf "$reports"
mkdir -p "$reports"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:log_path=$reports/asan
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1:log_path=$reports/ubsan
export QT_QPA_PLATFORM=offscreen

status=0
ctest --test-dir "$dir" --output-on-failure -j2 || status=$?
if compgen -G "$reports/*" >/dev/null; then
  echo "sanitize: sanitizer reports:" >&2
  cat "$reports"/* >&2
  status=1
fi
exit "$status"
