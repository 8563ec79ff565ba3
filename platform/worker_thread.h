// Worker threads and the queue through which a worker runs operations on the
// main thread and waits for them ("synchronize").
//
// TSyncQueue lives on the main thread; workers call Call(), the main thread
// serves requests with ServePending(), from a Qt event loop (through the
// notifier) or from a plain console loop (WaitForRequest). A closed queue
// refuses new requests and releases any waiting worker without running its
// operation, so nothing can reach a window that is being destroyed.
//
// TWorkerThread is created suspended, started once, and has a terminate
// request flag. WaitFor() blocks the main thread until the body has ended,
// serving the queue meanwhile and waking at least every 1000 ms. A derived
// class must call WaitFor() in its own destructor (before its members go);
// the base destructor does it again as a safety net.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace platform {

class TSyncQueue {
 public:
  TSyncQueue();
  TSyncQueue(const TSyncQueue&) = delete;
  TSyncQueue& operator=(const TSyncQueue&) = delete;
  ~TSyncQueue();

  // Runs `op` on the main thread and waits until it has run. Called on the
  // main thread itself, runs it at once. Returns false, without running it,
  // when the queue is or becomes closed.
  bool Call(std::function<void()> op);

  // Main thread: runs every request pending now, in arrival order. Returns
  // how many ran.
  int ServePending();

  // Main thread: waits until a request is pending, Wake() is called or
  // `timeout_ms` passes. Returns true when a request is pending.
  bool WaitForRequest(int timeout_ms);

  // Wakes a WaitForRequest from any thread.
  void Wake();

  // Called (on the requesting thread) whenever a request arrives; an event
  // loop uses it to schedule ServePending on the main thread.
  void SetNotifier(std::function<void()> notifier);

  // Owners without an event loop of their own (the console runner) may let
  // the requesting thread run each operation itself, one at a time and in
  // order, instead of handing it over: no thread switch per request. Set
  // before any worker starts.
  void SetCallerRuns(bool caller_runs) { FCallerRuns = caller_runs; }

  // Refuses new requests and releases the waiting ones unrun. Final.
  void Close();
  bool IsClosed() const;

  // True on the thread that created the queue.
  bool OnMainThread() const;

 private:
  struct TRequest;
  mutable std::mutex FMutex;
  std::condition_variable FArrived;
  std::deque<std::shared_ptr<TRequest>> FPending;
  std::function<void()> FNotifier;
  bool FClosed = false;
  bool FWoken = false;
  bool FCallerRuns = false;
  std::mutex FCallerMutex;  // one caller-run operation at a time
  std::thread::id FMainThread;
};

class TWorkerThread {
 public:
  explicit TWorkerThread(TSyncQueue& queue);
  TWorkerThread(const TWorkerThread&) = delete;
  TWorkerThread& operator=(const TWorkerThread&) = delete;
  virtual ~TWorkerThread();

  // Starts the body on a new thread; only the first call has an effect.
  void Start();
  // Sets the terminate request; the body looks at Terminated() when it likes.
  void Terminate() { FTerminated.store(true); }
  bool Terminated() const { return FTerminated.load(); }
  // True once the body has returned or left by an error.
  bool Finished() const { return FFinished.load(); }
  bool Started() const { return FStarted; }

  // Main thread: waits for the body's end while serving the queue. Returns at
  // once for a thread never started or already joined.
  void WaitFor();

  // An error that left the body, kept with the thread object (may be null).
  std::exception_ptr FatalError() const { return FFatalError; }

 protected:
  virtual void Execute() = 0;
  // Runs `op` on the main thread and waits; false when the queue refused it.
  bool Synchronize(std::function<void()> op) { return FQueue.Call(std::move(op)); }
  TSyncQueue& Queue() { return FQueue; }

 private:
  void Body();
  TSyncQueue& FQueue;
  std::thread FThread;
  bool FStarted = false;
  std::atomic<bool> FTerminated{false};
  std::atomic<bool> FFinished{false};
  std::exception_ptr FFatalError;
};

}  // namespace platform
