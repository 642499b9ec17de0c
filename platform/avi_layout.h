// The fourccs, flags and fixed sizes of the RIFF AVI and OpenDML layout on disk.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/avi_file.h"

namespace quintorel::avi {

inline constexpr std::uint32_t kRiff = fourcc('R', 'I', 'F', 'F');
inline constexpr std::uint32_t kList = fourcc('L', 'I', 'S', 'T');
inline constexpr std::uint32_t kJunk = fourcc('J', 'U', 'N', 'K');
inline constexpr std::uint32_t kAvi = fourcc('A', 'V', 'I', ' ');    // the first RIFF part
inline constexpr std::uint32_t kAvix = fourcc('A', 'V', 'I', 'X');   // every later part
inline constexpr std::uint32_t kHdrl = fourcc('h', 'd', 'r', 'l');
inline constexpr std::uint32_t kAvih = fourcc('a', 'v', 'i', 'h');
inline constexpr std::uint32_t kStrl = fourcc('s', 't', 'r', 'l');
inline constexpr std::uint32_t kStrh = fourcc('s', 't', 'r', 'h');
inline constexpr std::uint32_t kStrf = fourcc('s', 't', 'r', 'f');
inline constexpr std::uint32_t kStrn = fourcc('s', 't', 'r', 'n');
inline constexpr std::uint32_t kIndx = fourcc('i', 'n', 'd', 'x');
inline constexpr std::uint32_t kOdml = fourcc('o', 'd', 'm', 'l');
inline constexpr std::uint32_t kDmlh = fourcc('d', 'm', 'l', 'h');
inline constexpr std::uint32_t kMovi = fourcc('m', 'o', 'v', 'i');
inline constexpr std::uint32_t kIdx1 = fourcc('i', 'd', 'x', '1');
inline constexpr std::uint32_t kIx00 = fourcc('i', 'x', '0', '0');   // stream 0's standard index
// Stream 0's uncompressed video samples.
inline constexpr std::uint32_t k00db = fourcc('0', '0', 'd', 'b');

// avih dwFlags.
inline constexpr std::uint32_t AVIF_HASINDEX = 0x00000010;
inline constexpr std::uint32_t AVIF_ISINTERLEAVED = 0x00000100;

// bIndexType of OpenDML indexes.
inline constexpr std::uint8_t AVI_INDEX_OF_INDEXES = 0x00;
inline constexpr std::uint8_t AVI_INDEX_OF_CHUNKS = 0x01;
// Set in a standard index entry's dwSize when the sample is not a key frame.
inline constexpr std::uint32_t AVISTDINDEX_DELTAFRAME = 0x80000000;

inline constexpr std::size_t kChunkHeaderSize = 8;   // fourcc and size
inline constexpr std::size_t kListHeaderSize = 12;   // fourcc, size and list type
inline constexpr std::size_t kAvihSize = 56;
inline constexpr std::size_t kStrhSize = 56;
inline constexpr std::size_t kDmlhSize = 248;        // dwTotalFrames and 61 reserved dwords
inline constexpr std::size_t kIndexHeaderSize = 24;  // both OpenDML index kinds, after the chunk header
inline constexpr std::size_t kSuperIndexEntrySize = 16;
inline constexpr std::size_t kStandardIndexEntrySize = 8;
inline constexpr std::size_t kIdx1EntrySize = 16;
// Entries reserved in the super index, one per RIFF part: 256 parts of 1 GiB each.
inline constexpr std::size_t kSuperIndexEntries = 256;

}  // namespace quintorel::avi
