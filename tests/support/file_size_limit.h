// TFileSizeLimit: a disk that fills up, for tests. While one exists, files
// of this process cannot grow beyond the given size: a write beyond it
// fails with EFBIG (SIGXFSZ is ignored meanwhile), possibly after a part of
// it was written. The destructor puts the limit and the signal back.
// Process-wide: use it on one thread, or in a child process.
#pragma once

#include <sys/resource.h>

#include <csignal>

namespace testsupport {

class TFileSizeLimit {
 public:
  explicit TFileSizeLimit(rlim_t bytes) {
    FSignal = std::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &FSaved);
    struct rlimit limit = FSaved;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~TFileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &FSaved);
    std::signal(SIGXFSZ, FSignal);
  }
  TFileSizeLimit(const TFileSizeLimit&) = delete;
  TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

 private:
  struct rlimit FSaved;
  void (*FSignal)(int);
};

}  // namespace testsupport
