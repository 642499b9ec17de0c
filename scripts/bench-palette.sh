#!/usr/bin/env bash
# Measures quintorel-cli against ffmpeg on clips of BMP frames: wall time, PSNR and SSIM of the
# decoded AVI against its frames, and peak memory, in one run on one machine. Clips: a slow
# pan over a photograph that Debian ships (640x480 x 300 frames, 1920x1080 x 60 frames) and
# ffmpeg's testsrc2 (640x480 x 300 frames). Prints a markdown table per clip, the ratios and
# the targets met or missed. Not part of CI: it needs about 1 GB of disk and a few minutes.
# WORK (frames and clips, kept between runs), BUILD_DIR and REPEAT (timed runs per method,
# median taken) may be set.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build-bench}
work=${WORK:-${TMPDIR:-/tmp}/quintorel-bench-palette}
repeat=${REPEAT:-3}
photo=/usr/share/backgrounds/Dragonfly_by_Bolly.jpg

# The photograph's package, and the tools measured with.
scripts/setup.sh lomiri-wallpapers-16.04 time >&2

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUINTOREL_BUILD_APP=OFF \
  -DQUINTOREL_BUILD_TESTS=OFF -DQUINTOREL_BUILD_BENCH=ON >/dev/null
cmake --build "$build" --target quintorel-cli palette_bench >/dev/null
cli=$(realpath "$build/cli/quintorel-cli")

mkdir -p "$work/out"
# name, frames, then ffmpeg's input options: the frames are made once and kept.
make_clip() {
  local name=$1 frames=$2 dir="$work/$1"
  shift 2
  if [[ $(find "$dir" -name 'f*.bmp' 2>/dev/null | wc -l) -ne $frames ]]; then
    rm -rf "$dir" && mkdir -p "$dir"
    ffmpeg -v error "$@" -frames:v "$frames" "$dir/f%03d.bmp"
  fi
}
make_clip photo-640x480 300 -loop 1 -i "$photo" -vf "scale=1280:-2,crop=640:480:x='n*1.5':y='n*0.4'"
make_clip photo-1920x1080 60 -loop 1 -i "$photo" -vf "scale=2560:-2,crop=1920:1080:x='n*4':y='n*1'"
make_clip testsrc2-640x480 300 -f lavfi -i testsrc2=size=640x480:rate=25

# Each method writes $2 from the frames in directory $1.
method_read() { cat "$1"/f*.bmp >/dev/null; }
method_onepass() { ffmpeg -v error -y -i "$1/f%03d.bmp" -c:v rawvideo -pix_fmt pal8 "$2"; }
method_twopass_none() {
  ffmpeg -v error -y -i "$1/f%03d.bmp" -vf palettegen "$2.png"
  ffmpeg -v error -y -i "$1/f%03d.bmp" -i "$2.png" -lavfi paletteuse=dither=none -c:v rawvideo -pix_fmt pal8 "$2"
}
method_twopass_sierra() {
  ffmpeg -v error -y -i "$1/f%03d.bmp" -vf palettegen "$2.png"
  ffmpeg -v error -y -i "$1/f%03d.bmp" -i "$2.png" -lavfi paletteuse -c:v rawvideo -pix_fmt pal8 "$2"
}
method_ours() { "$cli" -r 25 -o "$2" "$1"; }
export -f method_read method_onepass method_twopass_none method_twopass_sierra method_ours
export cli

methods=(read onepass twopass_none twopass_sierra ours)
declare -A label=(
  [read]="reading the BMP files alone (cat)"
  [onepass]="ffmpeg one pass, -pix_fmt pal8"
  [twopass_none]="ffmpeg two passes, palettegen + paletteuse dither=none"
  [twopass_sierra]="ffmpeg two passes, paletteuse sierra2_4a (its default)"
  [ours]="quintorel-cli"
)

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
# The decoded clip against its frames, both as planar RGB: "PSNR SSIM".
quality() {
  local lavfi="[0:v]format=gbrp[a];[1:v]format=gbrp[b];[a][b]"
  local psnr ssim
  psnr=$(ffmpeg -i "$1" -i "$2/f%03d.bmp" -lavfi "${lavfi}psnr" -f null - 2>&1 | grep -o 'average:[0-9.inf]*' | cut -d: -f2)
  ssim=$(ffmpeg -i "$1" -i "$2/f%03d.bmp" -lavfi "${lavfi}ssim" -f null - 2>&1 | grep -o 'All:[0-9.]*' | cut -d: -f2)
  echo "$psnr $ssim"
}

echo "# Palette benchmark"
echo
echo "$(nproc) cores; $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'); $(ffmpeg -version | head -1 | cut -d' ' -f1-3)"
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
status=0
for clip in photo-640x480 photo-1920x1080 testsrc2-640x480; do
  dir="$work/$clip"
  loaded=$(cat "$dir"/f*.bmp | wc -c)
  declare -A times=() rss=()
  for ((r = 1; r <= repeat; ++r)); do
    for m in "${methods[@]}"; do
      out="$work/out/$clip-$m.avi"
      /usr/bin/time -o "$work/out/time.txt" -f '%e %M' bash -c "method_$m \"\$1\" \"\$2\"" _ "$dir" "$out"
      read -r seconds kib <"$work/out/time.txt"
      times[$m]+="$seconds "
      rss[$m]=$(( ${rss[$m]:-0} > kib ? ${rss[$m]:-0} : kib ))
    done
  done
  echo
  echo "## $clip ($(ls "$dir" | wc -l) frames, $((loaded / 1048576)) MiB of BMP files)"
  echo
  echo "| method | wall time (median of $repeat) | PSNR | SSIM | peak RSS |"
  echo "|---|---|---|---|---|"
  declare -A wall=() psnr=() ssim=()
  for m in "${methods[@]}"; do
    wall[$m]=$(tr ' ' '\n' <<<"${times[$m]}" | grep . | median)
    if [[ $m == read ]]; then
      psnr[$m]="" ssim[$m]=""
    else
      read -r psnr[$m] ssim[$m] < <(quality "$work/out/$clip-$m.avi" "$dir")
    fi
    printf '| %s | %.2f s | %s | %s | %d MiB |\n' "${label[$m]}" "${wall[$m]}" \
      "${psnr[$m]:+${psnr[$m]} dB}" "${ssim[$m]}" $((rss[$m] / 1024))
  done
  ours=${wall[ours]}
  echo
  awk -v o="$ours" -v a="${wall[onepass]}" -v b="${wall[twopass_none]}" -v c="${wall[twopass_sierra]}" 'BEGIN {
    printf "ours / one pass: %.2f (target <= 0.5); ours / two passes no dither: %.3f (target <= 0.1); ours / two passes sierra2_4a: %.3f\n", o / a, o / b, o / c }'
  verdict() { if awk "BEGIN { exit !($2) }"; then echo "- met: $1"; else echo "- MISSED: $1"; status=1; fi; }
  verdict "time <= 0.5 x one pass" "$ours <= 0.5 * ${wall[onepass]}"
  verdict "time <= 0.1 x two passes no dither" "$ours <= 0.1 * ${wall[twopass_none]}"
  verdict "peak memory <= loaded files + 64 MiB ($(((loaded / 1024 + 65536) / 1024)) MiB)" "${rss[ours]} <= $loaded / 1024 + 65536"
  if [[ $clip == photo-640x480 ]]; then
    verdict "PSNR >= 35.5 dB" "${psnr[ours]} >= 35.5"
    verdict "SSIM >= 0.905" "${ssim[ours]} >= 0.905"
  else
    verdict "PSNR >= ffmpeg two passes no dither (${psnr[twopass_none]} dB)" "${psnr[ours]} >= ${psnr[twopass_none]}"
  fi
  echo
  echo "Where the time of one creation goes (bench/palette_bench):"
  echo
  "$build/bench/palette_bench" "$dir" "$work/out/$clip-split.avi" || status=1
  unset times rss wall psnr ssim
done
echo
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
exit $status
