// TReadAhead: reads the related records of the coming objects on a reader
// of its own, on a helper thread, while the run talks to the target about
// the current one. The source answers a statement in about the time the
// target takes for a request, so the two waits overlap instead of adding up.
//
// It keeps at most kDepth objects read and not yet taken. Only records read
// without a single failed statement are handed over; from the first object
// it cannot hand over (a failed statement, a helper that cannot connect)
// it gives nothing more, and the run reads for itself as it would without
// it. Owned and called by the run's thread; the destructor waits for a read
// in progress.
#pragma once

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
  static constexpr size_t kDepth = 16;

  // Reads the records of `object_ids` in that order. The helper's reader
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
  void Run();

  std::unique_ptr<TDbReader> FReader;
  TDBoptions FOptions;
  std::vector<int32_t> FObjectIds;
  std::mutex FMutex;
  std::condition_variable FReadWanted;  // the helper waits here
  std::condition_variable FReadDone;    // Take waits here
  std::deque<TObjectReads> FReady;
  bool FFinished = false;  // the helper reads nothing more
  bool FStop = false;      // asked to read nothing more
  std::thread FThread;     // last: starts once everything above is set
};
