// A fast local stand-in of the platform for the export benchmark: one
// thread accepting on 127.0.0.1 at a free port, one request per
// connection, answered with the fixed JSON the run relies on (a fresh
// objects group, guard ids, the object's own "extId" and an id) and closed.
// With a delay, each answer leaves that long after its request was read, as
// from a platform a network away; a second thread sends the held answers
// when they are due, so requests that arrive together are answered together.
// Counts the requests it answered. Start and stop on one thread.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

class TExportResponder {
 public:
  explicit TExportResponder(int delay_ms = 0);
  ~TExportResponder();  // closes the connections whose answers are still held
  TExportResponder(const TExportResponder&) = delete;
  TExportResponder& operator=(const TExportResponder&) = delete;

  int Port() const { return FPort; }
  int64_t Requests() const { return FRequests.load(); }

 private:
  using Clock = std::chrono::steady_clock;
  // An answer waiting for its moment; the connection is closed once it is sent.
  struct THeld {
    int Fd;
    std::string Answer;
    Clock::time_point Due;
  };
  void Serve();
  void SendHeld();
  // The answer to the request read from `fd`; empty when none came whole.
  std::string AnswerFor(int fd);
  void Finish(int fd, const std::string& answer);

  const std::chrono::milliseconds FDelay;
  int FListenFd = -1;
  int FPort = 0;
  std::atomic<bool> FStop{false};
  std::atomic<int64_t> FRequests{0};
  int32_t FNextId = 1000;  // the accepting thread's
  std::mutex FMutex;
  std::condition_variable FHeldChanged;
  std::deque<THeld> FHeld;  // in the order they fall due (one delay for all)
  std::thread FThread;
  std::thread FSender;
};
