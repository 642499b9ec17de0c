// Writing the whole composition list as one AVI clip of eight-bit key frames.
#pragma once

#include <cstdint>
#include <filesystem>

#include "composition/composition_list.h"
#include "platform/avi_file.h"

namespace quintorel {

// Told after each frame written; lets a front end show progress.
class CreationProgress {
 public:
  virtual ~CreationProgress() = default;
  virtual void framesWritten(int written, int total) = 0;
};

struct CreationSettings {
  std::int32_t rate = 10;  // frames per second; brought into 1 .. 120
  bool dither = false;     // error diffusion instead of plain nearest-colour mapping
  CreationProgress* progress = nullptr;
  AviFileOptions file;  // where the writer's system calls go, and its RIFF size limit
};

// Writes every entry of `list`, in order, as one key frame of `target`. Refuses the list
// before any file is touched when it is empty, or when an entry is an empty picture, cannot be
// decoded, or differs in size from entry 0. An existing file at `target` is replaced only when
// the whole clip has been written; on any failure it stays as it was and nothing is left
// behind. Throws Error with the message to show.
void createVideo(const CompositionList& list, const std::filesystem::path& target,
                 const CreationSettings& settings);

}  // namespace quintorel
