// The creation of an AVI clip from the composition list.
#include "video/create_video.h"

#include <algorithm>
#include <atomic>
#include <new>
#include <span>
#include <string>
#include <system_error>
#include <vector>

#include "platform/bitmap.h"
#include "platform/bitmap_info_header.h"
#include "platform/device_bitmap.h"
#include "platform/error.h"
#include "platform/messages.h"
#include "video/capture_frame_bits.h"
#include "video/clip_palette.h"
#include "video/frame_header.h"
#include "video/frames_in_order.h"

namespace quintorel {

namespace {

constexpr std::int32_t kColourCount = 256;

std::string describeEntry(const CompositionList& list, int index) {
  return "entry " + std::to_string(index + 1) + " (" + list.text(index) + ")";
}

// The list's pictures, taken on the calling thread: the frame threads see only these copies,
// never the list (which may be a window's).
std::vector<Bitmap> picturesOf(const CompositionList& list) {
  std::vector<Bitmap> pictures;
  // The list-index error of an empty list comes before anything else.
  pictures.push_back(list.object(0));
  pictures.reserve(static_cast<std::size_t>(list.count()));
  for (int i = 1; i < list.count(); ++i) pictures.push_back(list.object(i));
  return pictures;
}

bool fitsFirst(const std::vector<Bitmap>& pictures, std::size_t i) {
  const Bitmap& picture = pictures[i];
  return !picture.empty() && picture.width() == pictures[0].width() &&
         picture.height() == pictures[0].height();
}

// What a picture must be before it is decoded; entry 0 sets the size of the clip.
void checkEntry(const CompositionList& list, const std::vector<Bitmap>& pictures, int i) {
  const Bitmap& picture = pictures[static_cast<std::size_t>(i)];
  const Bitmap& first = pictures[0];
  if (picture.empty()) throw Error("Cannot use " + describeEntry(list, i) + ": the picture is empty");
  if (!fitsFirst(pictures, static_cast<std::size_t>(i))) {
    throw Error("Cannot use " + describeEntry(list, i) + ": it is " +
                std::to_string(picture.width()) + " x " + std::to_string(picture.height()) +
                " pixels, but " + describeEntry(list, 0) + " is " +
                std::to_string(first.width()) + " x " + std::to_string(first.height()) +
                "; every frame must have the size of the first");
  }
}

// What each frame thread keeps from frame to frame, and from the checking pass to the writing
// one: fresh memory costs more to touch than a frame costs to make.
struct FrameWorker {
  DeviceBitmap frame;
  ReadBuffer file;
  std::vector<std::uint8_t> header;
};

// Each worker holds a decoded frame, the file it came from and two converted frames: about ten
// bytes a pixel. Threads beyond the first are only worth that memory while it stays modest.
std::size_t workersFor(const Bitmap& first) {
  constexpr std::uint64_t kBytesPerPixel = 10;
  constexpr std::uint64_t kBudget = std::uint64_t{256} << 20;
  const std::uint64_t perWorker = kBytesPerPixel * static_cast<std::uint64_t>(std::max(first.width(), 1)) *
                                  static_cast<std::uint64_t>(std::max(first.height(), 1));
  return static_cast<std::size_t>(
      std::clamp<std::uint64_t>(kBudget / perWorker, 1, static_cast<std::uint64_t>(frameThreads())));
}

// Everything that would make a clip wrong or the writer overrun is found here, before the
// target is touched, and the pictures decoded on the way give the clip its one palette. The
// stream format carries a single colour table, entry 0's, and every frame is read with it: a
// table made per frame would mis-colour all later frames, and a fixed one fits no photograph.
Palette checkAndChoosePalette(const CompositionList& list, const std::vector<Bitmap>& pictures,
                              std::span<FrameWorker> workers) {
  ClipPalette colours;
  // Looking for a clip's own colours ends with its 257th; the threads are told.
  std::atomic<bool> wantDistinct = true;
  forFramesInOrder<ClipPalette::FrameColours>(
      static_cast<int>(pictures.size()), workers,
      [&](int i, FrameWorker& worker, ClipPalette::FrameColours& gathered) {
        const auto at = static_cast<std::size_t>(i);
        // A picture the checks refuse is left alone: its refusal is the error to show.
        if (!fitsFirst(pictures, at)) return;
        const Bitmap& picture = pictures[at];
        // Once the clip is known to have many colours, only the rows sampled for the histogram
        // are wanted; every check of the picture is made all the same.
        const bool distinct = wantDistinct.load(std::memory_order_relaxed);
        picture.decodeInto(worker.frame, worker.file,
                           distinct ? RowSelection{} : ClipPalette::sampledRows(picture.width(), picture.height(), at + 1));
        ClipPalette::gather(worker.frame, at + 1, distinct, gathered);
      },
      [&](int i, const ClipPalette::FrameColours& gathered) {
        checkEntry(list, pictures, i);
        colours.add(gathered);
        if (!colours.wantsDistinct()) wantDistinct.store(false, std::memory_order_relaxed);
      });
  return colours.palette();
}

struct ConvertedFrame {
  std::vector<std::uint8_t> pixels;
  bool converted = false;
};

void writeClip(const CompositionList& list, const std::filesystem::path& target,
               const CreationSettings& settings) {
  const std::vector<Bitmap> pictures = picturesOf(list);
  std::vector<FrameWorker> workers(workersFor(pictures[0]));
  const Palette palette = checkAndChoosePalette(list, pictures, workers);

  AviFile file = AviFile::open(target, settings.file);

  AviStreamInfo info;
  info.fccType = streamtypeVIDEO;
  info.fccHandler = 0;
  info.dwScale = 1;
  // A rate field not yet committed can hold anything; the field itself would clamp it.
  info.dwRate = static_cast<std::uint32_t>(std::clamp(settings.rate, 1, 120));

  FrameWorker& first = workers[0];
  pictures[0].decodeInto(first.frame, first.file);
  std::int32_t headerSize = 0, imageSize = 0;
  FrameBufferSizes(first.frame, headerSize, imageSize, kColourCount);
  std::vector<std::uint8_t> headerBlock(static_cast<std::size_t>(headerSize), 0);
  {
    std::vector<std::uint8_t> pixelBlock(static_cast<std::size_t>(imageSize), 0);
    if (!CaptureFrameBits(first.frame, &palette, headerBlock, pixelBlock, kColourCount, settings.dither))
      throw Error("Could not convert " + describeEntry(list, 0));
  }

  const BitmapInfoHeader header = BitmapInfoHeader::readFrom(headerBlock);
  info.dwSuggestedBufferSize = header.biSizeImage;
  info.rcFrame = {0, 0, header.biWidth, header.biHeight};
  file.createStream(info);
  file.setFormat(headerBlock);

  const int count = static_cast<int>(pictures.size());
  forFramesInOrder<ConvertedFrame>(
      count, std::span<FrameWorker>(workers),
      [&](int i, FrameWorker& worker, ConvertedFrame& out) {
        if (worker.header.empty()) worker.header = headerBlock;
        out.pixels.resize(static_cast<std::size_t>(imageSize));
        pictures[static_cast<std::size_t>(i)].decodeInto(worker.frame, worker.file);
        out.converted = CaptureFrameBits(worker.frame, &palette, worker.header, out.pixels,
                                         kColourCount, settings.dither);
      },
      [&](int i, ConvertedFrame& out) {
        if (!out.converted) throw Error("Could not convert " + describeEntry(list, i));
        file.write(i, std::span<const std::uint8_t>(out.pixels.data(), out.pixels.size()), AVIIF_KEYFRAME);
        if (settings.progress) settings.progress->framesWritten(i + 1, count);
      });
  file.finish();
}

}  // namespace

void createVideo(const CompositionList& list, const std::filesystem::path& target,
                 const CreationSettings& settings) {
  try {
    writeClip(list, target, settings);
  } catch (const std::bad_alloc&) {
    throw Error(std::string(messages::kOutOfMemory));
  } catch (const std::system_error& e) {
    // No thread could be started to work on the frames.
    throw Error(std::string("Could not make the clip: ") + e.what());
  }
}

}  // namespace quintorel
