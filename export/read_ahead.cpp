// The read-ahead helpers: a bounded queue of records each, filled in bursts
// so that a helper is woken once per half queue rather than once an object.
#include "export/read_ahead.h"

#include "source/dbreader.h"

namespace {

constexpr size_t kHelperDepth = TReadAhead::kDepth / TReadAhead::kHelpers;

}  // namespace

TReadAhead::TReadAhead(const TDBoptions& options, const TDbReader& main,
                       std::vector<int32_t> object_ids)
    : FOptions(options), FObjectIds(std::move(object_ids)) {
  for (THelper& helper : FHelpers) {
    helper.Reader = std::make_unique<TDbReader>();
    helper.Reader->CopyCachesFrom(main);
  }
  for (size_t first = 0; first < kHelpers; ++first) {
    FHelpers[first].Thread = std::thread([this, first] { Run(FHelpers[first], first); });
  }
}

TReadAhead::~TReadAhead() {
  {
    std::lock_guard<std::mutex> lock(FMutex);
    FStop = true;
  }
  for (THelper& helper : FHelpers) helper.RoomMade.notify_all();
  for (THelper& helper : FHelpers) helper.Thread.join();
}

std::optional<TObjectReads> TReadAhead::Take(int32_t object_id) {
  std::unique_lock<std::mutex> lock(FMutex);
  THelper& helper = FHelpers[FTaken % kHelpers];
  FReadDone.wait(lock, [&] { return !helper.Ready.empty() || helper.Finished || FStop; });
  std::optional<TObjectReads> reads;
  if (!FStop && !helper.Ready.empty() && helper.Ready.front().ObjectId == object_id) {
    reads = std::move(helper.Ready.front());
    helper.Ready.pop_front();
    ++FTaken;
    if (helper.Ready.size() == kHelperDepth / 2) helper.RoomMade.notify_all();
    return reads;
  }
  // Out of step or out of records: the caller reads from now on.
  FStop = true;
  for (THelper& other : FHelpers) other.RoomMade.notify_all();
  return reads;
}

void TReadAhead::Run(THelper& helper, size_t first) {
  bool connected = false;
  try {
    helper.Reader->SetOptions(FOptions);
    connected = helper.Reader->Connect();
  } catch (const std::exception&) {
  }
  std::unique_lock<std::mutex> lock(FMutex);
  for (size_t next = first; connected && next < FObjectIds.size(); next += kHelpers) {
    if (helper.Ready.size() >= kHelperDepth) {
      helper.RoomMade.wait(lock, [&] { return FStop || helper.Ready.size() <= kHelperDepth / 2; });
    }
    if (FStop) break;
    const int32_t object_id = FObjectIds[next];
    lock.unlock();
    TObjectReads reads = ReadObjectRecords(*helper.Reader, object_id);
    lock.lock();
    if (!reads.Clean) break;
    helper.Ready.push_back(std::move(reads));
    FReadDone.notify_all();
  }
  helper.Finished = true;
  FReadDone.notify_all();
  lock.unlock();
  helper.Reader->Disconnect();
}
