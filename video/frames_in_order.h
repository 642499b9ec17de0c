// Frames worked on by several threads at once and handed on one at a time, in their order.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

namespace quintorel {

// How many threads work on frames: one per core, up to four, at least one.
inline int frameThreads() {
  return static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
}

// Calls work(i, state, slot) for every i in [0, count): frame i on worker i % threads, one
// worker for each of `states` (as many as there are frames at most), each worker keeping its
// state for all its frames and filling a few `Slot`s of its own. The calling thread
// meanwhile calls hand(i, slot) for i = 0, 1, 2, ... in turn with the slot frame i was made
// in, then gives that slot back. So whatever `hand` does sees the frames in order, on one
// thread, and the result cannot depend on the number of threads. An exception from `work`
// comes out of this call when `hand` would have been given that frame; one from `hand` comes
// out at once. Either way every worker has stopped before this returns. With one state, no
// thread is started.
template <typename Slot, typename State, typename Work, typename Hand>
void forFramesInOrder(int count, std::span<State> states, Work work, Hand hand) {
  if (count <= 0 || states.empty()) return;
  const int threads = static_cast<int>(std::min<std::size_t>(states.size(), static_cast<std::size_t>(count)));
  if (threads == 1) {
    State& state = states[0];
    Slot slot;
    for (int i = 0; i < count; ++i) {
      work(i, state, slot);
      hand(i, slot);
    }
    return;
  }

  // Two slots a worker: it can fill the next while its last waits for its turn.
  constexpr int kDepth = 2;
  struct Place {
    Slot slot;
    int frame = -1;  // -1 while the worker may fill it, else the frame it holds
    std::exception_ptr error;
  };
  std::vector<std::vector<Place>> places(static_cast<std::size_t>(threads));
  for (auto& own : places) own.resize(kDepth);
  std::mutex mutex;
  std::condition_variable changed;
  bool stopping = false;

  auto worker = [&](int w) {
    State& state = states[static_cast<std::size_t>(w)];
    for (int i = w, n = 0; i < count; i += threads, ++n) {
      Place& place = places[static_cast<std::size_t>(w)][static_cast<std::size_t>(n % kDepth)];
      {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return stopping || place.frame == -1; });
        if (stopping) return;
      }
      std::exception_ptr error;
      try {
        work(i, state, place.slot);
      } catch (...) {
        error = std::current_exception();
      }
      {
        const std::lock_guard lock(mutex);
        place.frame = i;
        place.error = error;
      }
      changed.notify_all();
      if (error) return;
    }
  };

  std::vector<std::thread> pool;
  // Declared after all the workers use, so it runs before they go: stops and joins them on
  // every way out.
  struct Joiner {
    std::vector<std::thread>& pool;
    std::mutex& mutex;
    std::condition_variable& changed;
    bool& stopping;
    ~Joiner() {
      {
        const std::lock_guard lock(mutex);
        stopping = true;
      }
      changed.notify_all();
      for (std::thread& t : pool) t.join();
    }
  } joiner{pool, mutex, changed, stopping};
  pool.reserve(static_cast<std::size_t>(threads));
  for (int w = 0; w < threads; ++w) pool.emplace_back(worker, w);

  for (int i = 0; i < count; ++i) {
    Place& place = places[static_cast<std::size_t>(i % threads)][static_cast<std::size_t>((i / threads) % kDepth)];
    {
      std::unique_lock lock(mutex);
      changed.wait(lock, [&] { return place.frame == i; });
    }
    if (place.error) std::rethrow_exception(place.error);
    hand(i, place.slot);
    {
      const std::lock_guard lock(mutex);
      place.frame = -1;
    }
    changed.notify_all();
  }
}

}  // namespace quintorel
