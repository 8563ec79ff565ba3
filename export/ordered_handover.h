// TOrderedHandOver: hands on what the workers made for positions 0, 1, 2,
// ... in position order, whatever order they finish in. A value put for a
// position waits until every position before it has been taken; the
// positions that may be put at any time are the `window` following the next
// one to take, so what waits is bounded by `window` values.
//
// Workers call Put from any thread, one Put per position; one owner thread
// takes with TakeNext. Put raises std::logic_error for a position outside
// the window or put twice; nothing else raises.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

template <class T>
class TOrderedHandOver {
 public:
  explicit TOrderedHandOver(size_t window) : FSlots(window == 0 ? 1 : window) {}
  TOrderedHandOver(const TOrderedHandOver&) = delete;
  TOrderedHandOver& operator=(const TOrderedHandOver&) = delete;

  size_t Window() const { return FSlots.size(); }

  // Any thread: the value made for `position`.
  void Put(size_t position, T value) {
    std::lock_guard<std::mutex> lock(FMutex);
    if (position < FNext || position >= FNext + FSlots.size()) {
      throw std::logic_error("hand-over: a position outside the window");
    }
    std::optional<T>& slot = FSlots[position % FSlots.size()];
    if (slot) throw std::logic_error("hand-over: a position put twice");
    slot = std::move(value);
    if (position == FNext) FPutNext.notify_one();
  }

  // Owner thread: waits for the value of the next position and takes it.
  T TakeNext() {
    std::unique_lock<std::mutex> lock(FMutex);
    std::optional<T>& slot = FSlots[FNext % FSlots.size()];
    FPutNext.wait(lock, [&] { return slot.has_value(); });
    T value = std::move(*slot);
    slot.reset();
    ++FNext;
    return value;
  }

 private:
  std::mutex FMutex;
  std::condition_variable FPutNext;      // the next position's value arrived
  std::vector<std::optional<T>> FSlots;  // position % window
  size_t FNext = 0;
};
