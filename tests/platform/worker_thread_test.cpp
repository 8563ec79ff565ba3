// The worker thread base and its synchronize queue.
#include "platform/worker_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <vector>

namespace {

using namespace std::chrono_literals;

class TCountingWorker : public platform::TWorkerThread {
 public:
  TCountingWorker(platform::TSyncQueue& q, int rounds) : TWorkerThread(q), FRounds(rounds) {}
  ~TCountingWorker() override { WaitFor(); }
  std::vector<int> Seen;  // written on the main thread only
  int Refused = 0;

 protected:
  void Execute() override {
    for (int i = 0; i < FRounds; ++i) {
      if (!Synchronize([this, i] { Seen.push_back(i); })) ++Refused;
    }
  }

 private:
  int FRounds;
};

TEST(WorkerThread, ManySynchronizeCallsWhileTheMainThreadWaitsForTheEnd) {
  platform::TSyncQueue queue;
  TCountingWorker worker(queue, 5000);
  EXPECT_FALSE(worker.Finished());
  worker.Start();
  worker.WaitFor();  // serves every request; must not deadlock
  ASSERT_EQ(worker.Seen.size(), 5000u);
  for (int i = 0; i < 5000; ++i) ASSERT_EQ(worker.Seen[i], i);
  EXPECT_TRUE(worker.Finished());
}

class TWaitForTerminate : public platform::TWorkerThread {
 public:
  using TWorkerThread::TWorkerThread;
  ~TWaitForTerminate() override { WaitFor(); }
  std::atomic<bool> SawTerminate{false};

 protected:
  void Execute() override {
    auto until = std::chrono::steady_clock::now() + 10s;
    while (!Terminated() && std::chrono::steady_clock::now() < until) {
      std::this_thread::sleep_for(1ms);
    }
    SawTerminate = Terminated();
    Synchronize([] {});
  }
};

TEST(WorkerThread, TerminateRequestIsSeenAndDestructionWaits) {
  platform::TSyncQueue queue;
  auto worker = std::make_unique<TWaitForTerminate>(queue);
  worker->Start();
  std::this_thread::sleep_for(20ms);
  worker->Terminate();
  worker->WaitFor();
  EXPECT_TRUE(worker->SawTerminate);
  worker.reset();  // already ended: returns at once
}

TEST(WorkerThread, AClosedQueueReleasesTheWorkerWithoutRunningItsRequests) {
  platform::TSyncQueue queue;
  TCountingWorker worker(queue, 3);
  queue.Close();
  worker.Start();
  worker.WaitFor();
  EXPECT_TRUE(worker.Seen.empty());
  EXPECT_EQ(worker.Refused, 3);
}

TEST(WorkerThread, ConsoleLoopServesRequestsAndAnErrorInTheBodyIsKept) {
  class TFailing : public platform::TWorkerThread {
   public:
    using TWorkerThread::TWorkerThread;
    ~TFailing() override { WaitFor(); }
    int Shown = 0;

   protected:
    void Execute() override {
      Synchronize([this] { ++Shown; });
      throw std::runtime_error("lost connection");
    }
  };
  platform::TSyncQueue queue;
  TFailing worker(queue);
  worker.Start();
  auto until = std::chrono::steady_clock::now() + 10s;
  while (!worker.Finished() && std::chrono::steady_clock::now() < until) {
    queue.WaitForRequest(1000);
    queue.ServePending();
  }
  worker.WaitFor();
  EXPECT_EQ(worker.Shown, 1);
  ASSERT_TRUE(worker.FatalError());
  EXPECT_THROW(std::rethrow_exception(worker.FatalError()), std::runtime_error);
}

}  // namespace

namespace {

TEST(WorkerThread, CallerRunsQueueRunsRequestsOnTheWorkerInOrder) {
  class TRecording : public platform::TWorkerThread {
   public:
    using TWorkerThread::TWorkerThread;
    ~TRecording() override { WaitFor(); }
    std::vector<std::thread::id> Threads;
    std::vector<int> Order;
    bool RefusedAfterClose = false;

   protected:
    void Execute() override {
      for (int i = 0; i < 100; ++i) {
        Synchronize([this, i] {
          Threads.push_back(std::this_thread::get_id());
          Order.push_back(i);
        });
      }
      Queue().Close();
      RefusedAfterClose = !Synchronize([this] { Order.push_back(-1); });
    }
  };
  platform::TSyncQueue queue;
  queue.SetCallerRuns(true);
  TRecording worker(queue);
  worker.Start();
  worker.WaitFor();  // nothing to serve: the worker ran its own requests
  ASSERT_EQ(worker.Order.size(), 100u);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(worker.Order[i], i);
  EXPECT_NE(worker.Threads.front(), std::this_thread::get_id());
  EXPECT_TRUE(worker.RefusedAfterClose);
}

}  // namespace
