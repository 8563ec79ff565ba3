// A fast local stand-in of the platform for the export benchmark: one
// thread accepting on 127.0.0.1 at a free port, one request per
// connection, answered at once with the fixed JSON the run relies on
// (a fresh objects group, guard ids, the object's own "extId" and an id)
// and closed. Counts the requests it answered. Start and stop on one thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

class TExportResponder {
 public:
  TExportResponder();
  ~TExportResponder();
  TExportResponder(const TExportResponder&) = delete;
  TExportResponder& operator=(const TExportResponder&) = delete;

  int Port() const { return FPort; }
  int64_t Requests() const { return FRequests.load(); }

 private:
  void Serve();
  void Answer(int fd);
  int FListenFd = -1;
  int FPort = 0;
  std::atomic<bool> FStop{false};
  std::atomic<int64_t> FRequests{0};
  int32_t FNextId = 1000;
  std::thread FThread;
};
