// File operations with exclusive (flock) writing and path helpers.
#include "platform/files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {

namespace {

[[noreturn]] void Fail(const std::string& what, const std::string& path) {
  throw EFileError(what + " '" + path + "': " + std::strerror(errno));
}

int LockOrClose(int fd, const std::string& path) {
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    int saved = errno;
    ::close(fd);
    errno = saved;
    Fail("cannot lock", path);
  }
  return fd;
}

}  // namespace

bool FileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

TExclusiveFile TExclusiveFile::OpenExisting(const std::string& path) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) Fail("cannot open", path);
  return TExclusiveFile(LockOrClose(fd, path));
}

TExclusiveFile TExclusiveFile::Create(const std::string& path) {
  // Not O_TRUNC: the file is emptied only once the lock shows nobody holds it.
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) Fail("cannot create", path);
  TExclusiveFile file(LockOrClose(fd, path));
  // Private to its owner whatever the umask: what is written may be secret.
  if (::fchmod(file.FFd, 0600) != 0) Fail("cannot make private", path);
  if (::ftruncate(file.FFd, 0) != 0) Fail("cannot empty", path);
  return file;
}

TExclusiveFile::TExclusiveFile(TExclusiveFile&& other) noexcept : FFd(other.FFd) { other.FFd = -1; }

TExclusiveFile& TExclusiveFile::operator=(TExclusiveFile&& other) noexcept {
  if (this != &other) {
    Close();
    FFd = other.FFd;
    other.FFd = -1;
  }
  return *this;
}

TExclusiveFile::~TExclusiveFile() { Close(); }

int64_t TExclusiveFile::SeekToEnd() {
  const off_t end = ::lseek(FFd, 0, SEEK_END);
  if (end < 0) throw EFileError(std::string("seek: ") + std::strerror(errno));
  return end;
}

void TExclusiveFile::Write(const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(FFd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw EFileError(std::string("write: ") + std::strerror(errno));
    done += static_cast<size_t>(n);
  }
}

void TExclusiveFile::Truncate(int64_t size) {
  if (::ftruncate(FFd, static_cast<off_t>(size)) != 0) {
    throw EFileError(std::string("truncate: ") + std::strerror(errno));
  }
}

void TExclusiveFile::Close() {
  if (FFd >= 0) {
    ::close(FFd);  // releases the lock
    FFd = -1;
  }
}

std::string ReadWholeFile(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) Fail("cannot open", path);
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    errno = EISDIR;
    Fail("not a regular file", path);
  }
  std::string content;
  content.reserve(static_cast<size_t>(st.st_size));
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      int saved = errno;
      ::close(fd);
      errno = saved;
      Fail("cannot read", path);
    }
    if (n == 0) break;
    content.append(buf, static_cast<size_t>(n));
  }
  ::close(fd);
  return content;
}

std::string ExeDirectory() {
  char buf[4096];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return "./";
  std::string exe(buf, static_cast<size_t>(n));
  size_t slash = exe.rfind('/');
  return slash == std::string::npos ? "./" : exe.substr(0, slash + 1);
}

}  // namespace platform
