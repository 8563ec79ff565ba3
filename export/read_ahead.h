// TReadAhead: reads the related records of the coming objects on readers
// of its own, on helper threads, while the run talks to the target about
// the current one. The source answers a statement in about the time the
// target takes for a request, so the waits overlap instead of adding up;
// two helpers, each with its own connection, take the objects in turn, so
// that one's statement runs on the server while the other takes its answer.
//
// It keeps at most kDepth objects read and not yet taken. Only records read
// without a single failed statement are handed over; from the first object
// it cannot hand over (a failed statement, a helper that cannot connect)
// it gives nothing more, and the run reads for itself as it would without
// it. Owned and called by the run's thread; the destructor waits for the
// reads in progress.
#pragma once

#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "export/reader_documents.h"
#include "source/db_options.h"

class TDbReader;

class TReadAhead {
 public:
  static constexpr size_t kHelpers = 2;
  static constexpr size_t kDepth = 16;  // in all helpers together

  // Reads the records of `object_ids` in that order. Each helper's reader
  // connects with `options` and starts from copies of `main`'s caches
  // (installers, teams with their guard ids), which `main` must have loaded.
  TReadAhead(const TDBoptions& options, const TDbReader& main, std::vector<int32_t> object_ids);
  ~TReadAhead();
  TReadAhead(const TReadAhead&) = delete;
  TReadAhead& operator=(const TReadAhead&) = delete;

  // The records of the next object of the list, waiting while they are
  // being read, when that object is `object_id` and they were read cleanly;
  // none otherwise, and none ever after.
  std::optional<TObjectReads> Take(int32_t object_id);

 private:
  // One helper reads the objects at positions first, first + kHelpers, ...
  struct THelper {
    std::unique_ptr<TDbReader> Reader;
    std::deque<TObjectReads> Ready;
    bool Finished = false;  // reads nothing more
    std::condition_variable RoomMade;
    std::thread Thread;
  };
  void Run(THelper& helper, size_t first);

  TDBoptions FOptions;
  std::vector<int32_t> FObjectIds;
  std::mutex FMutex;
  std::condition_variable FReadDone;  // Take waits here
  size_t FTaken = 0;
  bool FStop = false;  // asked to read nothing more
  std::array<THelper, kHelpers> FHelpers;
};
