// TScopedRestore: puts a value back as it was when the scope that changed it
// ends, however it ends (return or exception). For settings that one step
// changes for itself only, such as a request header for one request.
// Owns a copy of the saved value and borrows the target, which must outlive
// it; used on the target's thread.
#pragma once

namespace platform {

template <typename T>
class TScopedRestore {
 public:
  explicit TScopedRestore(T& target) : FTarget(target), FSaved(target) {}
  ~TScopedRestore() { FTarget = FSaved; }
  TScopedRestore(const TScopedRestore&) = delete;
  TScopedRestore& operator=(const TScopedRestore&) = delete;

 private:
  T& FTarget;
  T FSaved;
};

}  // namespace platform
