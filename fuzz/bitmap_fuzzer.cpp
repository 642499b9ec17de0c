// libFuzzer target: arbitrary bytes loaded as a picture, decoded and converted to an 8-bit frame.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz/frame_from_bytes.h"
#include "platform/error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    const std::string broken = quintorel::fuzz::frameFromBytes(std::span(data, size));
    if (!broken.empty()) {
      std::fprintf(stderr, "broken promise: %s\n", broken.c_str());
      std::abort();
    }
  } catch (const quintorel::Error&) {
    // A refusal with a message is the expected way out for a bad file. Anything else thrown
    // escapes and counts as a crash.
  }
  return 0;
}
