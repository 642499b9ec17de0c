#!/usr/bin/env bash
# Renders the main window (with the sample frames added) and the about box to PNG in docs/:
#   docs/main-window-offscreen.png, docs/about-box-offscreen.png  drawn on Qt's offscreen platform
#   docs/main-window.png, docs/about-box.png                      grabbed from an Xvfb screen,
#       with the window manager's frame when openbox is installed (without it, frameless)
#
# Usage: scripts/render-windows.sh [build directory, default build]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
out=$PWD/docs

cmake -S . -B "$dir" -G Ninja >/dev/null
cmake --build "$dir" --target quintorel-render-windows
tool=$PWD/$dir/tests/app/quintorel-render-windows
mkdir -p "$out"

QT_QPA_PLATFORM=offscreen "$tool" "$out" -offscreen

if ! command -v xvfb-run >/dev/null; then
  echo "render-windows: xvfb-run is missing (package xvfb); only the offscreen pictures were made" >&2
  exit 0
fi
if ! command -v openbox >/dev/null; then
  echo "render-windows: openbox is missing; the Xvfb pictures have no window frame" >&2
fi
# One X server for both windows; the window manager, when there is one, runs beside the tool.
# Openbox draws every title-bar button its layout names, whatever a window allows, so its
# layout here has only the ones the main window has: minimise and close.
config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
cat >"$config/rc.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <theme><name>Clearlooks</name><titleLayout>NLIC</titleLayout></theme>
</openbox_config>
XML
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -euo pipefail
  if command -v openbox >/dev/null; then
    openbox --config-file "$2/rc.xml" >/dev/null 2>&1 &
    wm=$!
    trap "kill $wm 2>/dev/null || true" EXIT
    sleep 1
  fi
  QT_QPA_PLATFORM=xcb "$0" "$1"
' "$tool" "$out" "$config"
