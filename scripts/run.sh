#!/usr/bin/env bash
# Installs what is missing, builds, and opens the window program in the repository's
# samples/ folder, where the add button takes every sample frame at once. Without a display
# it makes a clip of the samples with quintorel-cli instead and shows what ffprobe reads.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/setup.sh
scripts/build.sh build

if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
  cd "$root/samples"
  exec "$root/build/app/quintorel"
fi

echo "run.sh: no display (DISPLAY and WAYLAND_DISPLAY are unset), so no window;" \
     "making a clip of samples/ with quintorel-cli instead" >&2
out=$(mktemp -d)
"$root/build/cli/quintorel-cli" -o "$out/samples.avi" "$root/samples"
ffprobe -v error -select_streams v:0 -count_frames \
  -show_entries stream=codec_name,pix_fmt,width,height,r_frame_rate,nb_read_frames \
  -of default=noprint_wrappers=1 "$out/samples.avi"
echo "run.sh: the clip is $out/samples.avi" >&2
