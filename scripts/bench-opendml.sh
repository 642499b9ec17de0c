#!/usr/bin/env bash
# Writes an OpenDML clip of more than 4 GiB through the AVI writer, has ffprobe, mediainfo and
# GStreamer count its frames, prints the figures and removes the clip. Not part of CI: it
# needs about 5 GB of free disk and a few minutes. FRAMES and BUILD_DIR may be set.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build-bench}
frames=${FRAMES:-14000}

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUINTOREL_BUILD_APP=OFF \
  -DQUINTOREL_BUILD_TESTS=OFF -DQUINTOREL_BUILD_BENCH=ON >/dev/null
cmake --build "$build" --target opendml_bench >/dev/null

dir=$(mktemp -d "${TMPDIR:-/tmp}/quintorel-bench-XXXXXX")
trap 'rm -rf "$dir"' EXIT
clip="$dir/opendml.avi"

echo "== writing $frames frames"
if [[ -x /usr/bin/time ]]; then
  /usr/bin/time -o "$dir/time.txt" -f 'process  %e s wall, max RSS %M KiB' "$build/bench/opendml_bench" "$dir" "$frames"
  cat "$dir/time.txt"
else
  "$build/bench/opendml_bench" "$dir" "$frames"
fi

status=0
count() {  # name, expected, command...
  local name=$1 expected=$2 start end counted
  shift 2
  start=$(date +%s%N)
  counted=$("$@")
  end=$(date +%s%N)
  printf '%-10s %s frames in %d ms' "$name" "$counted" $(((end - start) / 1000000))
  if [[ "$counted" == "$expected" ]]; then echo; else echo "  MISMATCH (expected $expected)"; status=1; fi
}
gst_buffers() {
  gst-launch-1.0 -v filesrc location="$clip" ! avidemux ! fakesink silent=false 2>&1 |
    grep -c 'chain   \*\*\*\*\*\*\*'
}

echo "== reading"
count ffprobe "$frames" ffprobe -v error -select_streams v:0 -count_packets \
  -show_entries stream=nb_read_packets -of csv=p=0 "$clip"
count mediainfo "$frames" mediainfo '--Inform=Video;%FrameCount%' "$clip"
count gstreamer "$frames" gst_buffers
exit $status
