#!/usr/bin/env bash
# Writes the fuzzer's seed corpus into fuzz/corpus/: one small valid file of every BMP
# variant the decoder reads. ffmpeg and ImageMagick write what they can; the variants no tool
# here writes (RLE4, top-down rows, 32-bit bit fields with a 40-byte header, short colour
# tables, a gap before the rows) are put together byte by byte.
set -euo pipefail
cd "$(dirname "$0")"
out=corpus
rm -rf "$out"
mkdir -p "$out"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# An odd width, so that every row carries padding; many colours in few pixels.
source=$tmp/source.png
ffmpeg -v error -f lavfi -i "color=c=black:s=13x7,format=rgb24,geq=r='X*19':g='Y*36':b='(X+Y)*11'" \
  -frames:v 1 "$source"

for fmt in bgr24 bgra rgb565le rgb444le rgb555le pal8 rgb8 gray monob; do
  ffmpeg -v error -i "$source" -pix_fmt "$fmt" "$out/ffmpeg-$fmt.bmp"
done

convert=/usr/bin/convert  # ImageMagick 6 itself
"$convert" "$source" BMP3:"$out/im-24.bmp"
"$convert" "$source" -type Palette -compress None BMP3:"$out/im-8.bmp"
"$convert" "$source" -type Palette -compress RLE BMP3:"$out/im-8-rle.bmp"
"$convert" "$source" -colors 16 -type Palette BMP3:"$out/im-4.bmp"
"$convert" "$source" -colors 2 -type Palette BMP3:"$out/im-1.bmp"
"$convert" "$source" BMP2:"$out/im-core-24.bmp"
"$convert" "$source" -type Palette BMP2:"$out/im-core-8.bmp"
"$convert" "$source" -colors 16 -type Palette BMP2:"$out/im-core-4.bmp"
"$convert" "$source" -colors 2 -type Palette BMP2:"$out/im-core-1.bmp"

# Byte by byte. Fields are little-endian hex.
le16() { printf '%02x%02x' $(($1 & 255)) $((($1 >> 8) & 255)); }
le32() { printf '%02x%02x%02x%02x' $(($1 & 255)) $((($1 >> 8) & 255)) $((($1 >> 16) & 255)) $((($1 >> 24) & 255)); }
# BITMAPINFOHEADER: width height bit-count compression colours-used
info() { echo "$(le32 40)$(le32 "$1")$(le32 "$2")$(le16 1)$(le16 "$3")$(le32 "$4")$(le32 0)$(le32 0)$(le32 0)$(le32 "$5")$(le32 0)"; }
# bmp NAME HEADER TABLE GAP PIXELS: the file header is worked out; GAP is bytes of junk between
# the table and the rows, which bfOffBits skips.
bmp() {
  local body=${2// /}${3// /}${4// /} pixels=${5// /}
  local offset=$((14 + ${#body} / 2))
  local hex="424d$(le32 $((offset + ${#pixels} / 2)))00000000$(le32 $offset)$body$pixels"
  printf "$(sed 's/../\\x&/g' <<<"$hex")" >"$out/$1"
}
grey16=$(for i in $(seq 0 15); do printf '%02x%02x%02x00' $((i * 17)) $((i * 17)) $((i * 17)); done)

# RLE4, 6 x 3: an encoded run, an absolute run with its pad byte, a delta, end of line and
# end of bitmap.
bmp crafted-rle4.bmp "$(info 6 3 4 2 16)" "$grey16" "" \
  "06 12 00 00  00 05 34 56 70 00 00 00  00 02 02 00 04 9a 00 01"
# RLE8, 6 x 3 with a four-entry table: absolute run with pad, delta up a row, end of bitmap
# before the last pixels.
bmp crafted-rle8.bmp "$(info 6 3 8 1 4)" "000000ff 00ff0000 ff000000 ffffff00" "" \
  "06 01 00 00  00 03 01 02 03 00 03 02 00 00  00 02 01 00 02 03 00 01"
# Top-down rows (negative height), 24 bits, 3 x 2.
bmp crafted-24-top-down.bmp "$(info 3 -2 24 0 0)" "" "" \
  "0000ff 00ff00 ff0000 000000  ffffff 808080 404040 000000"
# 32-bit bit fields in a 40-byte header, 10 bits a channel, 2 x 2.
bmp crafted-32-bitfields.bmp "$(info 2 2 32 3 0)" "$(le32 0x3ff00000)$(le32 0x000ffc00)$(le32 0x000003ff)" "" \
  "$(le32 0x3ff00000)$(le32 0x000ffc00)$(le32 0x000003ff)$(le32 0x2aaaaaaa)"
# 16-bit 5-6-5 bit fields, top-down, 3 x 2.
bmp crafted-16-bitfields-top-down.bmp "$(info 3 -2 16 3 0)" "$(le32 0xf800)$(le32 0x07e0)$(le32 0x001f)" "" \
  "00f8 e007 1f00 0000  ffff 0000 1084 0000"
# 8 bits with a two-entry table and bfOffBits past a gap, 5 x 2.
bmp crafted-8-short-table-gap.bmp "$(info 5 2 8 0 2)" "00000000 ffffff00" "deadbeef" \
  "00 01 00 01 00 000000  01 01 00 00 01 000000"
# A 1-bit core header, 9 x 2 (two bytes of pixels a row, padded to four).
bmp crafted-core-1.bmp "$(le32 12)$(le16 9)$(le16 2)$(le16 1)$(le16 1)" "000000 ffffff" "" \
  "aa80 0000 5500 0000"

ls -l "$out"
