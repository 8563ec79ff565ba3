// The read-ahead helper: a bounded queue of records, filled in bursts so
// that the helper is woken once per half queue rather than once an object.
#include "export/read_ahead.h"

#include "source/dbreader.h"

TReadAhead::TReadAhead(const TDBoptions& options, const TDbReader& main,
                       std::vector<int32_t> object_ids)
    : FReader(std::make_unique<TDbReader>()), FOptions(options), FObjectIds(std::move(object_ids)) {
  FReader->CopyCachesFrom(main);
  FThread = std::thread([this] { Run(); });
}

TReadAhead::~TReadAhead() {
  {
    std::lock_guard<std::mutex> lock(FMutex);
    FStop = true;
  }
  FReadWanted.notify_all();
  FThread.join();
}

std::optional<TObjectReads> TReadAhead::Take(int32_t object_id) {
  std::unique_lock<std::mutex> lock(FMutex);
  FReadDone.wait(lock, [&] { return !FReady.empty() || FFinished || FStop; });
  std::optional<TObjectReads> reads;
  if (!FStop && !FReady.empty() && FReady.front().ObjectId == object_id) {
    reads = std::move(FReady.front());
    FReady.pop_front();
    if (FReady.size() == kDepth / 2) FReadWanted.notify_all();
    return reads;
  }
  FStop = true;  // out of step or out of records: the caller reads from now on
  FReadWanted.notify_all();
  return reads;
}

void TReadAhead::Run() {
  bool connected = false;
  try {
    FReader->SetOptions(FOptions);
    connected = FReader->Connect();
  } catch (const std::exception&) {
  }
  std::unique_lock<std::mutex> lock(FMutex);
  for (size_t next = 0; connected && next < FObjectIds.size();) {
    if (FReady.size() >= kDepth) {
      FReadWanted.wait(lock, [&] { return FStop || FReady.size() <= kDepth / 2; });
    }
    if (FStop) break;
    const int32_t object_id = FObjectIds[next++];
    lock.unlock();
    const int32_t failures = FReader->FailedStatements();
    TObjectReads reads = ReadObjectRecords(*FReader, object_id, true);
    const bool clean = FReader->FailedStatements() == failures;
    lock.lock();
    if (!clean) break;
    FReady.push_back(std::move(reads));
    FReadDone.notify_all();
  }
  FFinished = true;
  FReadDone.notify_all();
  lock.unlock();
  FReader->Disconnect();
}
