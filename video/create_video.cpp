// The creation of an AVI clip from the composition list.
#include "video/create_video.h"

#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include "platform/bitmap_info_header.h"
#include "platform/device_bitmap.h"
#include "platform/error.h"
#include "platform/messages.h"
#include "video/capture_frame_bits.h"
#include "video/clip_palette.h"
#include "video/frame_header.h"

namespace quintorel {

namespace {

constexpr std::int32_t kColourCount = 256;

std::string describeEntry(const CompositionList& list, int index) {
  return "entry " + std::to_string(index + 1) + " (" + list.text(index) + ")";
}

// Everything that would make a clip wrong or the writer overrun is found here, before the
// target is touched: the blocks and every sample's size come from entry 0. Each picture
// decoded on the way shows its colours to `colours`.
void checkEntries(const CompositionList& list, DeviceBitmap& scratch, ClipPalette& colours) {
  const Bitmap& first = list.object(0);
  for (int i = 0; i < list.count(); ++i) {
    const Bitmap& picture = list.object(i);
    if (picture.empty()) throw Error("Cannot use " + describeEntry(list, i) + ": the picture is empty");
    if (picture.width() != first.width() || picture.height() != first.height()) {
      throw Error("Cannot use " + describeEntry(list, i) + ": it is " +
                  std::to_string(picture.width()) + " x " + std::to_string(picture.height()) +
                  " pixels, but " + describeEntry(list, 0) + " is " +
                  std::to_string(first.width()) + " x " + std::to_string(first.height()) +
                  "; every frame must have the size of the first");
    }
    picture.decodeInto(scratch);
    colours.addFrame(scratch);
  }
}

// The one palette of the clip. The stream format carries a single colour table, entry 0's,
// and every frame is read with it: a table made per frame would mis-colour all later frames,
// and a fixed one fits no photograph.
Palette paletteOf(const CompositionList& list, DeviceBitmap& scratch) {
  ClipPalette colours;
  checkEntries(list, scratch, colours);
  return colours.palette();
}

void writeClip(const CompositionList& list, const std::filesystem::path& target,
               const CreationSettings& settings) {
  // The list-index error of an empty list comes before any file is opened.
  const Bitmap& first = list.object(0);
  DeviceBitmap frame;  // the one decoded frame of the creation, reused for every entry
  const Palette palette = paletteOf(list, frame);

  AviFile file = AviFile::open(target, settings.file);

  AviStreamInfo info;
  info.fccType = streamtypeVIDEO;
  info.fccHandler = 0;
  info.dwScale = 1;
  // A rate field not yet committed can hold anything; the field itself would clamp it.
  info.dwRate = static_cast<std::uint32_t>(std::clamp(settings.rate, 1, 120));

  first.decodeInto(frame);
  std::int32_t headerSize = 0, imageSize = 0;
  FrameBufferSizes(frame, headerSize, imageSize, kColourCount);
  std::vector<std::uint8_t> headerBlock(static_cast<std::size_t>(headerSize), 0);
  std::vector<std::uint8_t> pixelBlock(static_cast<std::size_t>(imageSize), 0);
  if (!CaptureFrameBits(frame, &palette, headerBlock, pixelBlock, kColourCount, settings.dither))
    throw Error("Could not convert " + describeEntry(list, 0));

  const BitmapInfoHeader header = BitmapInfoHeader::readFrom(headerBlock);
  info.dwSuggestedBufferSize = header.biSizeImage;
  info.rcFrame = {0, 0, header.biWidth, header.biHeight};
  file.createStream(info);
  file.setFormat(headerBlock);

  const int count = list.count();
  for (int i = 0; i < count; ++i) {
    list.object(i).decodeInto(frame);
    if (!CaptureFrameBits(frame, &palette, headerBlock, pixelBlock, kColourCount, settings.dither))
      throw Error("Could not convert " + describeEntry(list, i));
    file.write(i, std::span<const std::uint8_t>(pixelBlock.data(), static_cast<std::size_t>(imageSize)),
               AVIIF_KEYFRAME);
    if (settings.progress) settings.progress->framesWritten(i + 1, count);
  }
  file.finish();
}

}  // namespace

void createVideo(const CompositionList& list, const std::filesystem::path& target,
                 const CreationSettings& settings) {
  try {
    writeClip(list, target, settings);
  } catch (const std::bad_alloc&) {
    throw Error(std::string(messages::kOutOfMemory));
  }
}

}  // namespace quintorel
