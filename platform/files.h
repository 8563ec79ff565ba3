// The file operations the system needs: existence, exclusive writing (held
// as an advisory flock for as long as the file is open, so two writers never
// interleave), reading a whole file, and path helpers.
// A TExclusiveFile belongs to one thread at a time.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

namespace platform {

class EFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// True when `path` names an existing regular file (not a directory).
bool FileExists(const std::string& path);

class TExclusiveFile {
 public:
  // Opens an existing file for writing; raises EFileError when it does not
  // exist, cannot be opened, or another holder has it locked.
  static TExclusiveFile OpenExisting(const std::string& path);
  // Creates the file with mode 0600, readable and writable by its owner
  // only, whatever the umask (an existing one is emptied once the lock is
  // held and made private too); raises EFileError on failure or when
  // another holder has it locked.
  static TExclusiveFile Create(const std::string& path);

  TExclusiveFile(TExclusiveFile&& other) noexcept;
  TExclusiveFile& operator=(TExclusiveFile&& other) noexcept;
  TExclusiveFile(const TExclusiveFile&) = delete;
  TExclusiveFile& operator=(const TExclusiveFile&) = delete;
  ~TExclusiveFile();

  // Moves to the end and gives the file's size there; raises EFileError.
  int64_t SeekToEnd();
  // Writes every byte or raises EFileError (some bytes may be written then).
  void Write(const std::string& bytes);
  // Cuts the file back to `size` bytes; raises EFileError.
  void Truncate(int64_t size);
  void Close();

 private:
  explicit TExclusiveFile(int fd) : FFd(fd) {}
  int FFd = -1;
};

// The whole content of a regular file; raises EFileError when it cannot be read.
std::string ReadWholeFile(const std::string& path);

// The folder of the running executable, ending in "/".
std::string ExeDirectory();

}  // namespace platform
