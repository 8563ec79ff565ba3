// TCP transport: name lookup with a time limit, connect, buffered reads.
#include "mysql/vio_tcp.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include "mysql/client_errors.h"
#include "platform/socket_error.h"

namespace {

constexpr size_t kDirectReadFrom = 2048;
constexpr int kWsaAddrNotAvail = 10049;

// The outcome of one name lookup, shared with a lookup thread that may be
// abandoned when the caller stops waiting.
struct TLookup {
  std::mutex Mutex;
  std::condition_variable Done;
  bool Finished = false;
  int Wsa = 0;
  in_addr Address{};
};

void RunLookup(const std::string& host, TLookup& lookup) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  int rc = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
  int err = errno;
  std::lock_guard<std::mutex> lock(lookup.Mutex);
  if (rc == 0 && found) {
    lookup.Address = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
  } else {
    lookup.Wsa = platform::WsaFromGai(rc, err);
  }
  if (found) ::freeaddrinfo(found);
  lookup.Finished = true;
  lookup.Done.notify_all();
}

// A receive or send that hit its SO_RCVTIMEO/SO_SNDTIMEO limit reports
// EAGAIN here; the socket error for it is "timed out".
int SocketWsa(int err) {
  return err == EAGAIN || err == EWOULDBLOCK ? platform::kWsaTimedOut : platform::WsaFromErrno(err);
}

void Pause10ms() { std::this_thread::sleep_for(std::chrono::milliseconds(10)); }

void SetSeconds(int fd, int option, int seconds) {
  timeval tv{};
  tv.tv_sec = seconds > 0 ? seconds : 0;
  ::setsockopt(fd, SOL_SOCKET, option, &tv, sizeof tv);
}

std::atomic<TVioMaker> gVioMaker{nullptr};

}  // namespace

void SetVioMaker(TVioMaker maker) { gVioMaker.store(maker); }

std::unique_ptr<TMyVio> MakeVio(const std::string& host, int port) {
  TVioMaker maker = gVioMaker.load();
  if (maker) return maker(host, port);
  return std::make_unique<TVioTcp>(host, port);
}

TVioTcp::TVioTcp(std::string host, int port) : FHost(std::move(host)), FPort(port) {
  if (FHost.empty()) FHost = "localhost";
}

TVioTcp::~TVioTcp() { Close(); }

void TVioTcp::SetTimeout(int seconds) {
  FReceiveTimeout = seconds;
  FConnectTimeout = seconds;
  if (FSocket >= 0) SetSeconds(FSocket, SO_RCVTIMEO, FReceiveTimeout);
}

bool TVioTcp::Fail(const char* what, int wsa) {
  FLastError = mysql_client::FormatMessageText(
      std::string("Socket error on ") + what + ". WSAGetLastError return %d($%X)",
      {int64_t{wsa}, int64_t{wsa}});
  return false;
}

bool TVioTcp::Connect() {
  FLastError.clear();
  // A port outside the 16-bit range would otherwise be cut down to another
  // port silently; it is refused as an address that cannot be used.
  if (FPort < 1 || FPort > 65535) return Fail("connect", kWsaAddrNotAvail);
  FSocket = ::socket(AF_INET, SOCK_STREAM, 0);
  if (FSocket < 0) return Fail("connect", platform::WsaFromErrno(errno));

  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(FPort));
  if (::inet_pton(AF_INET, FHost.c_str(), &addr.sin_addr) != 1) {
    auto lookup = std::make_shared<TLookup>();
    if (FConnectTimeout >= 1) {
      std::thread([host = FHost, lookup] { RunLookup(host, *lookup); }).detach();
      std::unique_lock<std::mutex> lock(lookup->Mutex);
      if (!lookup->Done.wait_for(lock, std::chrono::seconds(FConnectTimeout),
                                 [&] { return lookup->Finished; })) {
        lock.unlock();
        Close();
        FLastError = "Connection timed out";
        return false;
      }
    } else {
      RunLookup(FHost, *lookup);
    }
    if (lookup->Wsa != 0) {
      Close();
      return Fail("connect", lookup->Wsa);
    }
    addr.sin_addr = lookup->Address;
  }

  if (::connect(FSocket, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 &&
      errno != EWOULDBLOCK) {
    int wsa = platform::WsaFromErrno(errno);
    Close();
    return Fail("connect", wsa);
  }
  int one = 1;
  ::setsockopt(FSocket, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  ::setsockopt(FSocket, SOL_SOCKET, SO_KEEPALIVE, &one, sizeof one);
  FSendTimeout = FReceiveTimeout;
  SetSeconds(FSocket, SO_RCVTIMEO, FReceiveTimeout);
  SetSeconds(FSocket, SO_SNDTIMEO, FSendTimeout);
  return true;
}

bool TVioTcp::Refill() {
  if (FBufferPos > 0) {
    std::memmove(FBuffer, FBuffer + FBufferPos, FBufferLen - FBufferPos);
    FBufferLen -= FBufferPos;
    FBufferPos = 0;
  }
  ssize_t got = FSpin.Receive(FSocket, FBuffer + FBufferLen, kReadAhead - FBufferLen);
  if (got > 0) {
    FBufferLen += static_cast<size_t>(got);
    return true;
  }
  if (got < 0) Fail("read", SocketWsa(errno));
  Pause10ms();
  return false;
}

bool TVioTcp::ReadBuffered(size_t n, const char*& data) {
  if (FSocket < 0 || n > kReadAhead) return false;
  if (FBufferLen - FBufferPos < n) {
    if (n >= kDirectReadFrom && FBufferLen - FBufferPos == 0) return false;
    while (FBufferLen - FBufferPos < n) {
      if (!Refill()) return false;
    }
  }
  data = FBuffer + FBufferPos;
  FBufferPos += n;
  return true;
}

size_t TVioTcp::Read(char* dest, size_t n) {
  size_t done = std::min(n, FBufferLen - FBufferPos);
  std::memcpy(dest, FBuffer + FBufferPos, done);
  FBufferPos += done;
  if (done == n || FSocket < 0) return done;

  if (n - done < kDirectReadFrom) {
    FBufferPos = FBufferLen = 0;
    if (!Refill()) return done;
    size_t take = std::min(n - done, FBufferLen);
    std::memcpy(dest + done, FBuffer, take);
    FBufferPos = take;
    done += take;
  }
  while (done < n) {
    ssize_t got = FSpin.Receive(FSocket, dest + done, n - done);
    if (got <= 0) {
      if (got < 0) Fail("read", SocketWsa(errno));
      Pause10ms();
      break;
    }
    done += static_cast<size_t>(got);
  }
  return done;
}

size_t TVioTcp::Write(const char* data, size_t n) {
  size_t done = 0;
  int idle = 0;
  while (done < n && FSocket >= 0) {
    ssize_t sent = ::send(FSocket, data + done, n - done, MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent < 0) {
      Fail("write", SocketWsa(errno));
      break;
    }
    if (sent == 0) {
      if (++idle > 2) break;
      Pause10ms();
      continue;
    }
    done += static_cast<size_t>(sent);
  }
  return done;
}

void TVioTcp::Close() {
  if (FSocket < 0) return;
  ::shutdown(FSocket, SHUT_RDWR);
  ::close(FSocket);
  FSocket = -1;
  FBufferPos = FBufferLen = 0;
}
