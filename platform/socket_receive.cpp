// The polling receive: MSG_DONTWAIT tries with a yield between them for a
// bounded time, then a blocking recv().
#include "platform/socket_receive.h"

#include <sched.h>
#include <sys/socket.h>

#include <cerrno>

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

bool NothingYet(int err) { return err == EAGAIN || err == EWOULDBLOCK || err == EINTR; }

ssize_t BlockingReceive(int fd, void* buffer, size_t size) {
  ssize_t got;
  do {
    got = ::recv(fd, buffer, size, 0);
  } while (got < 0 && errno == EINTR);
  return got;
}

}  // namespace

ssize_t TReceiveSpin::Receive(int fd, void* buffer, size_t size) {
  if (!Polling()) {
    const Clock::time_point start = Clock::now();
    ssize_t got = BlockingReceive(fd, buffer, size);
    const int err = errno;
    if (got >= 0 && Clock::now() - start < kSpinBudget) FLate = 0;
    errno = err;
    return got;
  }
  const Clock::time_point deadline = Clock::now() + kSpinBudget;
  do {
    ssize_t got = ::recv(fd, buffer, size, MSG_DONTWAIT);
    if (got >= 0 || !NothingYet(errno)) {
      FLate = 0;
      return got;
    }
    // Yielding rather than spinning in place lets the peer run when it
    // waits for this very processor.
    ::sched_yield();
  } while (Clock::now() < deadline);
  ++FLate;
  return BlockingReceive(fd, buffer, size);
}

}  // namespace platform
