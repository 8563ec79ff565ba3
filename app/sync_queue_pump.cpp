// The pump's link: the notifier runs on a worker thread and may race with
// the pump's destruction, so it reaches the pump only through a pointer that
// the destructor clears under the same lock.
#include "app/sync_queue_pump.h"

#include <QMetaObject>
#include <mutex>

struct TSyncQueuePump::TLink {
  std::mutex Mutex;
  TSyncQueuePump* Pump = nullptr;
};

TSyncQueuePump::TSyncQueuePump(platform::TSyncQueue& queue, QObject* parent)
    : QObject(parent), FQueue(queue), FLink(std::make_shared<TLink>()) {
  FLink->Pump = this;
  FQueue.SetNotifier([link = FLink] {
    std::lock_guard<std::mutex> lock(link->Mutex);
    if (link->Pump == nullptr) return;
    // A call posted to a pump destroyed before it runs is dropped by Qt.
    TSyncQueuePump* pump = link->Pump;
    QMetaObject::invokeMethod(
        pump, [pump] { pump->Serve(); }, Qt::QueuedConnection);
  });
}

TSyncQueuePump::~TSyncQueuePump() {
  std::lock_guard<std::mutex> lock(FLink->Mutex);
  FLink->Pump = nullptr;
}

void TSyncQueuePump::Serve() { FQueue.ServePending(); }
