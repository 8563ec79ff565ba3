// Receiving from a socket with a short busy wait first.
//
// A peer on the same machine or a near network usually answers a small
// request within some tens of microseconds; a thread that sleeps for that
// pays a wake-up costing several times as much (on virtual machines above
// all). So a receive first polls the socket, yielding the processor between
// tries, for at most kSpinBudget, then blocks as recv() does, under the
// socket's own time limit. A connection whose answers keep arriving later
// than that stops polling, and starts again once an answer comes within the
// budget.
//
// One TReceiveSpin belongs to one connection and is used by one thread.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>

namespace platform {

class TReceiveSpin {
 public:
  static constexpr std::chrono::microseconds kSpinBudget{150};
  // Consecutive late answers after which the connection stops polling.
  static constexpr int kMaxLate = 8;

  // recv(fd, buffer, size, 0) with recv()'s results and errno; EINTR is
  // retried.
  ssize_t Receive(int fd, void* buffer, size_t size);

  bool Polling() const { return FLate < kMaxLate; }

 private:
  int FLate = 0;
};

}  // namespace platform
