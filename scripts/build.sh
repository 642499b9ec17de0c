#!/usr/bin/env bash
# Configures and builds the project into build/ (or the directory given as $1, with any
# further CMake options after it).
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
shift || true
cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
cmake --build "$dir"
