// Frames made on several threads and handed on in order: the order, the failures, and that no
// worker outlives the call.
#include "video/frames_in_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <set>
#include <span>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace quintorel {
namespace {

struct Worker {
  int frames = 0;  // made by this worker
};

struct Slot {
  int frame = -1;
  std::thread::id madeOn;
};

TEST(FramesInOrder, HandsEveryFrameInOrderOnTheCallingThreadWhateverTheWorkers) {
  for (const std::size_t workers : {1u, 2u, 3u, 8u}) {
    for (const int count : {0, 1, 2, 7, 100}) {
      SCOPED_TRACE("workers " + std::to_string(workers) + ", frames " + std::to_string(count));
      std::vector<Worker> states(workers);
      std::vector<int> handed;
      std::set<std::thread::id> makers;
      const std::thread::id caller = std::this_thread::get_id();
      forFramesInOrder<Slot>(
          count, std::span<Worker>(states),
          [](int i, Worker& worker, Slot& slot) {
            ++worker.frames;
            slot.frame = i;
            slot.madeOn = std::this_thread::get_id();
          },
          [&](int i, const Slot& slot) {
            EXPECT_EQ(std::this_thread::get_id(), caller);
            EXPECT_EQ(slot.frame, i);
            handed.push_back(i);
            makers.insert(slot.madeOn);
          });
      std::vector<int> expected(static_cast<std::size_t>(count));
      for (int i = 0; i < count; ++i) expected[static_cast<std::size_t>(i)] = i;
      EXPECT_EQ(handed, expected);
      int made = 0;
      for (const Worker& w : states) made += w.frames;
      EXPECT_EQ(made, count);
      // One worker (or one frame) is made on the calling thread; more on threads of their own.
      const std::size_t threads = std::min(workers, static_cast<std::size_t>(count));
      if (threads == 1) {
        EXPECT_EQ(makers, std::set{caller});
      } else if (threads > 1) {
        EXPECT_EQ(makers.count(caller), 0u);
      }
    }
  }
}

// A failure while making frame k comes out after frames 0 .. k-1 were handed, as it would had
// the frames been made one after another; a failure in handing stops the making.
TEST(FramesInOrder, AFailureComesOutInItsFramesTurnAndStopsTheWorkers) {
  for (const std::size_t workers : {1u, 2u, 4u}) {
    for (const int failing : {0, 1, 5, 39}) {
      SCOPED_TRACE("workers " + std::to_string(workers) + ", failing " + std::to_string(failing));
      std::vector<Worker> states(workers);
      std::vector<int> handed;
      try {
        forFramesInOrder<Slot>(
            40, std::span<Worker>(states),
            [&](int i, Worker&, Slot& slot) {
              if (i == failing) throw std::runtime_error("frame " + std::to_string(i));
              slot.frame = i;
            },
            [&](int i, const Slot&) { handed.push_back(i); });
        ADD_FAILURE() << "no failure came out";
      } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "frame " + std::to_string(failing));
      }
      EXPECT_EQ(handed.size(), static_cast<std::size_t>(failing));

      std::atomic<int> made = 0;
      EXPECT_THROW(forFramesInOrder<Slot>(
                       1000, std::span<Worker>(states),
                       [&](int, Worker&, Slot&) { ++made; },
                       [&](int i, const Slot&) {
                         if (i == failing) throw std::runtime_error("handing");
                       }),
                   std::runtime_error);
      // Each worker runs at most two frames ahead of the one that failed in handing.
      EXPECT_LE(made.load(), failing + 1 + 2 * static_cast<int>(workers));
    }
  }
}

}  // namespace
}  // namespace quintorel
