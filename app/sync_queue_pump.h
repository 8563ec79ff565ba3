// TSyncQueuePump: serves a platform::TSyncQueue from the Qt event loop.
// A worker's request makes the queue's notifier post one "serve" call to the
// pump; the call runs on the main thread and executes what is pending.
//
// The pump holds the queue by reference: the queue must outlive it. Once the
// pump is destroyed no notifier call reaches it any more, even one that a
// worker began just before. Create and destroy on the main thread.
#pragma once

#include <QObject>
#include <memory>

#include "platform/worker_thread.h"

class TSyncQueuePump : public QObject {
 public:
  explicit TSyncQueuePump(platform::TSyncQueue& queue, QObject* parent = nullptr);
  ~TSyncQueuePump() override;

  TSyncQueuePump(const TSyncQueuePump&) = delete;
  TSyncQueuePump& operator=(const TSyncQueuePump&) = delete;

 private:
  struct TLink;
  void Serve();

  platform::TSyncQueue& FQueue;
  std::shared_ptr<TLink> FLink;
};
