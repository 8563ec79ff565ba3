// TObjectSenders: the slot threads and the hand-over of their objects' lines.
#include "export/object_senders.h"

#include <stdexcept>

TObjectSenders::TObjectSenders(size_t slots, const TMakeClient& make_client) : FDone(slots) {
  FSlots.resize(FDone.Window());
  for (auto& slot : FSlots) {
    slot = std::make_unique<TSlot>();
    TSlot* owner = slot.get();
    slot->Api = make_client([owner](const std::string& line) { owner->Lines.push_back(line); });
  }
  for (auto& slot : FSlots) slot->Thread = std::thread([this, s = slot.get()] { Serve(*s); });
}

TObjectSenders::~TObjectSenders() {
  {
    std::lock_guard<std::mutex> lock(FMutex);
    FStop = true;
  }
  for (auto& slot : FSlots) slot->JobCame.notify_one();
  for (auto& slot : FSlots) slot->Thread.join();
}

void TObjectSenders::Start(TJob job) {
  if (!HasRoom()) throw std::logic_error("object senders: every slot is taken");
  TSlot& slot = *FSlots[FStarted % FSlots.size()];
  {
    std::lock_guard<std::mutex> lock(FMutex);
    slot.Job = std::move(job);
    slot.Position = FStarted;
  }
  slot.JobCame.notify_one();
  ++FStarted;
}

TObjectSenders::TFinished TObjectSenders::TakeNext() {
  if (Idle()) throw std::logic_error("object senders: nothing was started");
  TFinished finished = FDone.TakeNext();
  ++FTaken;
  return finished;
}

void TObjectSenders::Serve(TSlot& slot) {
  for (;;) {
    TJob job;
    size_t position = 0;
    {
      std::unique_lock<std::mutex> lock(FMutex);
      slot.JobCame.wait(lock, [&] { return FStop || slot.Job.has_value(); });
      if (!slot.Job) return;
      job = std::move(*slot.Job);
      slot.Job.reset();
      position = slot.Position;
    }
    TFinished finished;
    try {
      job(*slot.Api);
    } catch (...) {
      finished.Error = std::current_exception();
    }
    finished.Lines.swap(slot.Lines);
    FDone.Put(position, std::move(finished));
  }
}
