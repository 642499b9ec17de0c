// The AVI structure over RIFF chunks: headers, the 'movi' data, idx1 and the OpenDML indexes,
// with one RIFF part after another once a part reaches its size limit.
#include "platform/avi_file.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/avi_layout.h"
#include "platform/error.h"
#include "platform/little_endian.h"
#include "platform/messages.h"
#include "platform/replacing_file.h"
#include "platform/riff_writer.h"

namespace quintorel {
namespace {

constexpr std::string_view kStreamExists = "The AVI file has a stream already";
constexpr std::string_view kNoStream = "The AVI file has no stream";
constexpr std::string_view kFormatSet = "The stream format is set already";
constexpr std::string_view kNotOpen = "The AVI file is not open";

// A standard index entry keeps the size in 31 bits, and every RIFF size field is 32 bits.
constexpr std::uint64_t kMaxSampleSize = 0x7FFFFFFF;
constexpr std::uint64_t kMaxRiffSize = 0xFFFFFFFF;

std::uint64_t padded(std::uint64_t size) { return size + size % 2; }

std::uint32_t saturate32(std::uint64_t value) {
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(value, 0xFFFFFFFF));
}

std::string reason(int error) { return std::strerror(error); }

Error frameError() { return Error(std::string(messages::kCouldNotAddFrame)); }

// One sample of the RIFF part being written.
struct SampleEntry {
  std::uint32_t offset;  // of its chunk, from the part's 'movi' fourcc
  std::uint32_t size;    // of its payload
  bool keyFrame;
};

// One finished RIFF part, as its super index entry describes it.
struct PartEntry {
  std::uint64_t indexOffset;  // of the part's ix00 chunk, from the start of the file
  std::uint32_t indexSize;    // of that chunk, header included
  std::uint32_t samples;
};

}  // namespace

class AviFile::Impl {
 public:
  Impl(const std::filesystem::path& path, FileOps& ops, std::uint64_t riffLimit)
      : file_(path, ops), out_(file_), riffLimit_(std::min(riffLimit, kMaxRiffSize)) {}

  void createStream(const AviStreamInfo& info);
  void setFormat(std::span<const std::uint8_t> format);
  void write(std::int32_t start, std::span<const std::uint8_t> sample, std::uint32_t flags);
  void finish();

 private:
  enum class State {
    Empty,     // nothing written yet: the headers wait for the stream and its format
    Writing,   // headers written, a 'movi' list open
    Finished,  // renamed over the target
    Failed,    // the temporary file is gone
  };

  void writeHeaders();
  void writeMainHeader();
  void writeStreamHeader();
  void startPart();
  void endPart();
  void writeStandardIndex();
  void writeIdx1();
  void patchHeaders();
  // Bytes the current part would take with one more sample of `size` and its index entries.
  std::uint64_t partSizeWith(std::uint64_t size) const;
  void fail(int error);
  [[nodiscard]] Error writeError(int error) const;

  ReplacingFile file_;
  RiffWriter out_;
  const std::uint64_t riffLimit_;  // bytes a RIFF part may take, its own header included
  State state_ = State::Empty;
  int failure_ = 0;  // errno of the failure that discarded the file

  bool haveStream_ = false;
  bool haveFormat_ = false;
  AviStreamInfo info_;
  std::vector<std::uint8_t> format_;

  // Fields patched by finish(), by offset.
  std::uint64_t avihMaxBytesPerSec_ = 0;
  std::uint64_t avihTotalFrames_ = 0;
  std::uint64_t avihSuggestedBufferSize_ = 0;
  std::uint64_t strhLength_ = 0;
  std::uint64_t superIndex_ = 0;  // the reserved chunk, JUNK until finish() makes it indx
  std::uint64_t dmlhTotalFrames_ = 0;

  // The RIFF part being written.
  std::uint64_t riff_ = 0;
  std::uint64_t movi_ = 0;
  bool firstPart_ = true;
  std::vector<SampleEntry> samples_;

  std::vector<PartEntry> parts_;
  std::uint32_t sampleCount_ = 0;
  std::uint32_t framesInFirstPart_ = 0;
  std::uint64_t largestSample_ = 0;
};

void AviFile::Impl::createStream(const AviStreamInfo& info) {
  if (haveStream_) throw Error(std::string(kStreamExists));
  info_ = info;
  haveStream_ = true;
}

void AviFile::Impl::setFormat(std::span<const std::uint8_t> format) {
  if (!haveStream_) throw Error(std::string(kNoStream));
  if (haveFormat_) throw Error(std::string(kFormatSet));
  format_.assign(format.begin(), format.end());
  haveFormat_ = true;
}

void AviFile::Impl::write(std::int32_t start, std::span<const std::uint8_t> sample,
                          std::uint32_t flags) {
  if (state_ == State::Failed || state_ == State::Finished || !haveFormat_) throw frameError();
  if (start < 0 || static_cast<std::uint32_t>(start) != sampleCount_) throw frameError();
  if (sample.size() > kMaxSampleSize) throw frameError();
  try {
    if (state_ == State::Empty) writeHeaders();
    if (!samples_.empty() && partSizeWith(sample.size()) > riffLimit_) {
      // The part ending now takes one super index entry and the next part another.
      if (parts_.size() + 2 > avi::kSuperIndexEntries) throw frameError();
      endPart();
      startPart();
    }
    if (partSizeWith(sample.size()) > kMaxRiffSize) throw frameError();
    // Indexed first so that running out of memory leaves no unindexed chunk behind.
    samples_.push_back({static_cast<std::uint32_t>(out_.position() - (movi_ + 8)),
                        static_cast<std::uint32_t>(sample.size()), (flags & AVIIF_KEYFRAME) != 0});
    out_.putChunk(avi::k00db, sample);
    ++sampleCount_;
    largestSample_ = std::max<std::uint64_t>(largestSample_, sample.size());
  } catch (const std::system_error& e) {
    fail(e.code().value());
    throw frameError();
  }
}

void AviFile::Impl::finish() {
  if (state_ == State::Failed) throw writeError(failure_);
  if (state_ == State::Finished) throw writeError(EINVAL);
  if (!haveFormat_) {
    fail(EINVAL);
    throw writeError(EINVAL);
  }
  try {
    if (state_ == State::Empty) writeHeaders();
    endPart();
    patchHeaders();
    out_.flush();
    file_.commit();
    state_ = State::Finished;
  } catch (const std::system_error& e) {
    fail(e.code().value());
    throw writeError(failure_);
  }
}

void AviFile::Impl::writeHeaders() {
  riff_ = out_.beginList(avi::kRiff, avi::kAvi);
  const std::uint64_t hdrl = out_.beginList(avi::kList, avi::kHdrl);
  writeMainHeader();

  const std::uint64_t strl = out_.beginList(avi::kList, avi::kStrl);
  writeStreamHeader();
  const std::uint64_t strf = out_.beginChunk(avi::kStrf);
  out_.put(format_);
  out_.endChunk(strf);
  if (!info_.szName.empty()) {
    const std::uint64_t strn = out_.beginChunk(avi::kStrn);
    out_.put(std::span(reinterpret_cast<const std::uint8_t*>(info_.szName.c_str()), info_.szName.size() + 1));
    out_.endChunk(strn);
  }
  // Room for the super index, a harmless JUNK chunk until finish() knows the parts.
  superIndex_ = out_.beginChunk(avi::kJunk);
  out_.putZeros(avi::kIndexHeaderSize + avi::kSuperIndexEntries * avi::kSuperIndexEntrySize);
  out_.endChunk(superIndex_);
  out_.endChunk(strl);

  const std::uint64_t odml = out_.beginList(avi::kList, avi::kOdml);
  const std::uint64_t dmlh = out_.beginChunk(avi::kDmlh);
  dmlhTotalFrames_ = out_.position();
  out_.put32(0);                         /* dwTotalFrames */
  out_.putZeros(avi::kDmlhSize - 4);     /* dwFuture[61] */
  out_.endChunk(dmlh);
  out_.endChunk(odml);
  out_.endChunk(hdrl);

  movi_ = out_.beginList(avi::kList, avi::kMovi);
  state_ = State::Writing;
}

void AviFile::Impl::writeMainHeader() {
  const std::uint64_t avih = out_.beginChunk(avi::kAvih);
  const std::uint32_t microSecPerFrame =
      info_.dwRate == 0 ? 0 : saturate32((std::uint64_t{1000000} * info_.dwScale + info_.dwRate / 2) / info_.dwRate);
  out_.put32(microSecPerFrame);          /* dwMicroSecPerFrame */
  avihMaxBytesPerSec_ = out_.position();
  out_.put32(0);                         /* dwMaxBytesPerSec */
  out_.put32(0);                         /* dwPaddingGranularity */
  out_.put32(avi::AVIF_HASINDEX | avi::AVIF_ISINTERLEAVED); /* dwFlags */
  avihTotalFrames_ = out_.position();
  out_.put32(0);                         /* dwTotalFrames */
  out_.put32(info_.dwInitialFrames);     /* dwInitialFrames */
  out_.put32(1);                         /* dwStreams */
  avihSuggestedBufferSize_ = out_.position();
  out_.put32(info_.dwSuggestedBufferSize); /* dwSuggestedBufferSize */
  out_.put32(static_cast<std::uint32_t>(info_.rcFrame.right - info_.rcFrame.left)); /* dwWidth */
  out_.put32(static_cast<std::uint32_t>(info_.rcFrame.bottom - info_.rcFrame.top)); /* dwHeight */
  out_.putZeros(16);                     /* dwReserved[4] */
  out_.endChunk(avih);
}

void AviFile::Impl::writeStreamHeader() {
  const std::uint64_t strh = out_.beginChunk(avi::kStrh);
  out_.putFourcc(info_.fccType);         /* fccType */
  out_.putFourcc(info_.fccHandler);      /* fccHandler */
  out_.put32(info_.dwFlags);             /* dwFlags */
  out_.put16(info_.wPriority);           /* wPriority */
  out_.put16(info_.wLanguage);           /* wLanguage */
  out_.put32(info_.dwInitialFrames);     /* dwInitialFrames */
  out_.put32(info_.dwScale);             /* dwScale */
  out_.put32(info_.dwRate);              /* dwRate */
  out_.put32(info_.dwStart);             /* dwStart */
  strhLength_ = out_.position();
  out_.put32(info_.dwLength);            /* dwLength */
  out_.put32(info_.dwSuggestedBufferSize); /* dwSuggestedBufferSize */
  out_.put32(info_.dwQuality);           /* dwQuality */
  out_.put32(info_.dwSampleSize);        /* dwSampleSize */
  // The rectangle is stored in 16-bit fields.
  out_.put16(static_cast<std::uint16_t>(info_.rcFrame.left));   /* rcFrame.left */
  out_.put16(static_cast<std::uint16_t>(info_.rcFrame.top));    /* rcFrame.top */
  out_.put16(static_cast<std::uint16_t>(info_.rcFrame.right));  /* rcFrame.right */
  out_.put16(static_cast<std::uint16_t>(info_.rcFrame.bottom)); /* rcFrame.bottom */
  out_.endChunk(strh);
}

void AviFile::Impl::startPart() {
  riff_ = out_.beginList(avi::kRiff, avi::kAvix);
  movi_ = out_.beginList(avi::kList, avi::kMovi);
  firstPart_ = false;
}

void AviFile::Impl::endPart() {
  if (!samples_.empty()) writeStandardIndex();
  out_.endChunk(movi_);
  if (firstPart_) {
    writeIdx1();
    framesInFirstPart_ = static_cast<std::uint32_t>(samples_.size());
  }
  out_.endChunk(riff_);
  samples_.clear();
}

void AviFile::Impl::writeStandardIndex() {
  const std::uint64_t ix = out_.beginChunk(avi::kIx00);
  const std::uint64_t base = movi_ + 8;  // the 'movi' fourcc
  out_.put16(2);                         /* wLongsPerEntry */
  out_.put8(0);                          /* bIndexSubType */
  out_.put8(avi::AVI_INDEX_OF_CHUNKS);   /* bIndexType */
  out_.put32(static_cast<std::uint32_t>(samples_.size())); /* nEntriesInUse */
  out_.putFourcc(avi::k00db);            /* dwChunkId */
  out_.put64(base);                      /* qwBaseOffset */
  out_.put32(0);                         /* dwReserved3 */
  for (const SampleEntry& entry : samples_) {
    // Both point past the chunk header, at the sample itself.
    out_.put32(entry.offset + 8);        /* dwOffset */
    out_.put32(entry.size | (entry.keyFrame ? 0 : avi::AVISTDINDEX_DELTAFRAME)); /* dwSize */
  }
  out_.endChunk(ix);
  parts_.push_back({ix, static_cast<std::uint32_t>(out_.position() - ix),
                    static_cast<std::uint32_t>(samples_.size())});
}

void AviFile::Impl::writeIdx1() {
  const std::uint64_t idx1 = out_.beginChunk(avi::kIdx1);
  for (const SampleEntry& entry : samples_) {
    out_.putFourcc(avi::k00db);          /* dwChunkId */
    out_.put32(entry.keyFrame ? AVIIF_KEYFRAME : 0); /* dwFlags */
    out_.put32(entry.offset);            /* dwOffset */
    out_.put32(entry.size);              /* dwSize */
  }
  out_.endChunk(idx1);
}

void AviFile::Impl::patchHeaders() {
  const std::uint64_t maxBytesPerSec =
      info_.dwScale == 0 ? 0 : largestSample_ * info_.dwRate / info_.dwScale;
  out_.patch32(avihMaxBytesPerSec_, saturate32(maxBytesPerSec)); /* dwMaxBytesPerSec */
  out_.patch32(avihTotalFrames_, framesInFirstPart_);            /* dwTotalFrames */
  out_.patch32(avihSuggestedBufferSize_,
               saturate32(std::max<std::uint64_t>(info_.dwSuggestedBufferSize, largestSample_))); /* dwSuggestedBufferSize */
  out_.patch32(strhLength_, sampleCount_);                       /* dwLength */
  out_.patch32(dmlhTotalFrames_, sampleCount_);                  /* dwTotalFrames */

  // The reserved chunk becomes the super index; its size stays that of the whole reserve.
  std::vector<std::uint8_t> indx(8 + avi::kIndexHeaderSize + parts_.size() * avi::kSuperIndexEntrySize);
  std::uint8_t* p = indx.data();
  le::put32(p + 0, avi::kIndx);
  le::put32(p + 4, static_cast<std::uint32_t>(avi::kIndexHeaderSize + avi::kSuperIndexEntries * avi::kSuperIndexEntrySize));
  le::put16(p + 8, 4);                   /* wLongsPerEntry */
  p[10] = 0;                             /* bIndexSubType */
  p[11] = avi::AVI_INDEX_OF_INDEXES;     /* bIndexType */
  le::put32(p + 12, static_cast<std::uint32_t>(parts_.size())); /* nEntriesInUse */
  le::put32(p + 16, avi::k00db);         /* dwChunkId */
  // dwReserved[3] stays zero.
  p += 8 + avi::kIndexHeaderSize;
  for (const PartEntry& part : parts_) {
    le::put64(p + 0, part.indexOffset);  /* qwOffset */
    le::put32(p + 8, part.indexSize);    /* dwSize */
    le::put32(p + 12, part.samples);     /* dwDuration */
    p += avi::kSuperIndexEntrySize;
  }
  out_.patch(superIndex_, indx);
}

std::uint64_t AviFile::Impl::partSizeWith(std::uint64_t size) const {
  const std::uint64_t entries = samples_.size() + 1;
  const std::uint64_t end = out_.position() + 8 + padded(size);
  const std::uint64_t ix00 = 8 + avi::kIndexHeaderSize + entries * avi::kStandardIndexEntrySize;
  const std::uint64_t idx1 = firstPart_ ? 8 + entries * avi::kIdx1EntrySize : 0;
  return end + ix00 + idx1 - riff_;
}

void AviFile::Impl::fail(int error) {
  state_ = State::Failed;
  failure_ = error;
  file_.discard();
}

Error AviFile::Impl::writeError(int error) const {
  return Error("Could not write file " + file_.target().string() + ": " + reason(error));
}

AviFile AviFile::open(const std::filesystem::path& path, const AviFileOptions& options) {
  FileOps& ops = options.ops ? *options.ops : FileOps::system();
  try {
    return AviFile(std::make_unique<Impl>(path, ops, options.riffLimit));
  } catch (const std::system_error& e) {
    throw Error("Could not create file " + path.string() + ": " + reason(e.code().value()));
  }
}

AviFile::AviFile(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
AviFile::AviFile(AviFile&&) noexcept = default;
AviFile& AviFile::operator=(AviFile&&) noexcept = default;
AviFile::~AviFile() = default;

void AviFile::createStream(const AviStreamInfo& info) {
  if (!impl_) throw Error(std::string(kNotOpen));
  impl_->createStream(info);
}

void AviFile::setFormat(std::span<const std::uint8_t> format) {
  if (!impl_) throw Error(std::string(kNotOpen));
  impl_->setFormat(format);
}

void AviFile::write(std::int32_t start, std::span<const std::uint8_t> sample, std::uint32_t flags) {
  if (!impl_) throw Error(std::string(kNotOpen));
  impl_->write(start, sample, flags);
}

void AviFile::finish() {
  if (!impl_) throw Error(std::string(kNotOpen));
  impl_->finish();
}

}  // namespace quintorel
