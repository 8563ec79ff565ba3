// The synchronize queue and the worker thread base.
#include "platform/worker_thread.h"

#include <chrono>

namespace platform {

struct TSyncQueue::TRequest {
  std::function<void()> Op;
  bool Done = false;  // ran, or was released unrun by Close
  bool Ran = false;
  std::exception_ptr Error;
  std::condition_variable Finished;
};

TSyncQueue::TSyncQueue() : FMainThread(std::this_thread::get_id()) {}

TSyncQueue::~TSyncQueue() { Close(); }

bool TSyncQueue::OnMainThread() const { return std::this_thread::get_id() == FMainThread; }

bool TSyncQueue::Call(std::function<void()> op) {
  if (FCallerRuns) {
    std::lock_guard<std::mutex> running(FCallerMutex);
    if (IsClosed()) return false;
    op();
    return true;
  }
  if (OnMainThread()) {
    if (IsClosed()) return false;
    op();
    return true;
  }
  auto request = std::make_shared<TRequest>();
  request->Op = std::move(op);
  std::function<void()> notifier;
  std::unique_lock<std::mutex> lock(FMutex);
  if (FClosed) return false;
  FPending.push_back(request);
  notifier = FNotifier;
  FArrived.notify_all();
  if (notifier) {
    lock.unlock();
    notifier();
    lock.lock();
  }
  request->Finished.wait(lock, [&] { return request->Done; });
  if (request->Error) std::rethrow_exception(request->Error);
  return request->Ran;
}

int TSyncQueue::ServePending() {
  std::unique_lock<std::mutex> lock(FMutex);
  std::deque<std::shared_ptr<TRequest>> batch;
  batch.swap(FPending);
  int served = 0;
  for (auto& request : batch) {
    if (!FClosed) {
      lock.unlock();
      try {
        request->Op();
        request->Ran = true;
      } catch (...) {
        request->Error = std::current_exception();
      }
      lock.lock();
      ++served;
    }
    request->Done = true;
    request->Finished.notify_all();
  }
  return served;
}

bool TSyncQueue::WaitForRequest(int timeout_ms) {
  std::unique_lock<std::mutex> lock(FMutex);
  FArrived.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                    [this] { return !FPending.empty() || FWoken || FClosed; });
  FWoken = false;
  return !FPending.empty();
}

void TSyncQueue::Wake() {
  std::lock_guard<std::mutex> lock(FMutex);
  FWoken = true;
  FArrived.notify_all();
}

void TSyncQueue::SetNotifier(std::function<void()> notifier) {
  std::lock_guard<std::mutex> lock(FMutex);
  FNotifier = std::move(notifier);
}

void TSyncQueue::Close() {
  std::lock_guard<std::mutex> lock(FMutex);
  FClosed = true;
  FNotifier = nullptr;
  for (auto& request : FPending) {
    request->Done = true;
    request->Finished.notify_all();
  }
  FPending.clear();
  FArrived.notify_all();
}

bool TSyncQueue::IsClosed() const {
  std::lock_guard<std::mutex> lock(FMutex);
  return FClosed;
}

TWorkerThread::TWorkerThread(TSyncQueue& queue) : FQueue(queue) {}

TWorkerThread::~TWorkerThread() {
  Terminate();
  WaitFor();
}

void TWorkerThread::Start() {
  if (FStarted) return;
  FStarted = true;
  FThread = std::thread([this] { Body(); });
}

void TWorkerThread::Body() {
  try {
    Execute();
  } catch (...) {
    FFatalError = std::current_exception();
  }
  FFinished.store(true);
  FQueue.Wake();
}

void TWorkerThread::WaitFor() {
  if (!FThread.joinable()) return;
  if (FQueue.OnMainThread()) {
    while (!FFinished.load()) {
      FQueue.ServePending();
      if (FFinished.load()) break;
      FQueue.WaitForRequest(1000);
    }
    FQueue.ServePending();
  }
  FThread.join();
}

}  // namespace platform
