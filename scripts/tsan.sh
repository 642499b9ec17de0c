#!/usr/bin/env bash
# Builds the core's tests that make clips, whose frames are decoded and converted on several
# threads, with ThreadSanitizer into build-tsan and runs them. Fails on a failing test and on
# any report, also one from quintorel-cli started by a test.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=build-tsan
tests=(frames_in_order_test create_video_test clip_palette_test cli_test fault_injection_test)

cmake -S . -B "$dir" -G Ninja -DQUINTOREL_THREAD_SANITIZE=ON -DQUINTOREL_BUILD_APP=OFF \
  -DQUINTOREL_BUILD_BENCH=OFF >/dev/null
cmake --build "$dir" --target quintorel-cli "${tests[@]}"

reports=$PWD/$dir/sanitizer-reports
rm -rf "$reports"
mkdir -p "$reports"
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:log_path=$reports/tsan

status=0
# Test names are the suites' own; each executable is run whole.
for t in "${tests[@]}"; do
  "$dir/tests/$t" --gtest_brief=1 || status=$?
done
if compgen -G "$reports/*" >/dev/null; then
  echo "tsan: ThreadSanitizer reports:" >&2
  cat "$reports"/* >&2
  status=1
fi
exit "$status"
