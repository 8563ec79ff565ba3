// The scripted loopback server: one accepting thread, one thread per
// connection playing its script.
#include "tests/support/scripted_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <stdexcept>

#include "tests/support/loopback.h"

namespace testsupport {

namespace {

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() < 0 ? 0 : static_cast<int>(left.count());
}

}  // namespace

bool TScriptConnection::Send(const std::string& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    ssize_t n = ::send(FFd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

bool TScriptConnection::ReadSome(int timeout_ms) {
  if (FPeerClosed) return false;
  pollfd pfd{FFd, POLLIN, 0};
  if (::poll(&pfd, 1, timeout_ms) <= 0) return false;
  char buf[65536];
  ssize_t n = ::recv(FFd, buf, sizeof buf, 0);
  if (n <= 0) {
    FPeerClosed = true;
    return false;
  }
  FReceived.append(buf, static_cast<size_t>(n));
  return true;
}

std::string TScriptConnection::ReadBytes(size_t n, int timeout_ms) {
  auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  while (FReceived.size() - FConsumed < n && ReadSome(MsLeft(deadline))) {
  }
  size_t take = std::min(n, FReceived.size() - FConsumed);
  std::string out = FReceived.substr(FConsumed, take);
  FConsumed += take;
  return out;
}

std::string TScriptConnection::ReadUntil(const std::string& marker, int timeout_ms) {
  auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  size_t pos;
  while ((pos = FReceived.find(marker, FConsumed)) == std::string::npos &&
         ReadSome(MsLeft(deadline))) {
  }
  size_t end = pos == std::string::npos ? FReceived.size() : pos + marker.size();
  std::string out = FReceived.substr(FConsumed, end - FConsumed);
  FConsumed = end;
  return out;
}

std::string TScriptConnection::ReadToClose(int timeout_ms) {
  auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  while (ReadSome(MsLeft(deadline))) {
  }
  std::string out = FReceived.substr(FConsumed);
  FConsumed = FReceived.size();
  return out;
}

TScript& TScript::Do(TStep step) {
  FSteps.push_back(std::move(step));
  return *this;
}

TScript& TScript::Send(std::string bytes) {
  return Do([bytes = std::move(bytes)](TScriptConnection& c) { return c.Send(bytes); });
}

TScript& TScript::ReadBytes(size_t n) {
  return Do([n](TScriptConnection& c) {
    c.ReadBytes(n);
    return true;
  });
}

TScript& TScript::ReadUntil(std::string marker) {
  return Do([marker = std::move(marker)](TScriptConnection& c) {
    c.ReadUntil(marker);
    return true;
  });
}

TScript& TScript::ReadMySqlPacket() {
  return Do([](TScriptConnection& c) {
    std::string header = c.ReadBytes(4);
    if (header.size() < 4) return true;
    size_t len = static_cast<unsigned char>(header[0]) |
                 (static_cast<unsigned char>(header[1]) << 8) |
                 (static_cast<unsigned char>(header[2]) << 16);
    c.ReadBytes(len);
    return true;
  });
}

TScript& TScript::ReadHttpRequest() {
  return Do([](TScriptConnection& c) {
    std::string head = c.ReadUntil("\r\n\r\n");
    size_t length = 0;
    std::string lower;
    for (char ch : head) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    size_t at = lower.find("\r\ncontent-length:");
    if (at != std::string::npos) length = std::strtoul(head.c_str() + at + 17, nullptr, 10);
    if (length > 0) c.ReadBytes(length);
    return true;
  });
}

TScript& TScript::ReadToClose() {
  return Do([](TScriptConnection& c) {
    c.ReadToClose();
    return true;
  });
}

TScript& TScript::Sleep(int ms) {
  return Do([ms](TScriptConnection&) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    return true;
  });
}

TScript& TScript::Close() {
  return Do([](TScriptConnection&) { return false; });
}

TScript& TScript::Reset() {
  return Do([](TScriptConnection& c) {
    linger lg{1, 0};
    ::setsockopt(c.Fd(), SOL_SOCKET, SO_LINGER, &lg, sizeof lg);
    return false;
  });
}

TScriptedServer::TScriptedServer() {
  FListenFd = BindLoopback(FPort, 16);
  FThread = std::thread([this] { Serve(); });
}

TScriptedServer::~TScriptedServer() {
  FStop = true;
  FThread.join();
  for (auto& t : FConnThreads) t.join();
  ::close(FListenFd);
}

TScript& TScriptedServer::AddConnection() {
  std::lock_guard<std::mutex> lock(FMutex);
  FScripts.push_back(std::make_unique<TScript>());
  FReceived.emplace_back();
  return *FScripts.back();
}

bool TScriptedServer::WaitDone(int timeout_ms) {
  std::unique_lock<std::mutex> lock(FMutex);
  return FDoneChanged.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                               [this] { return FDone >= FScripts.size(); });
}

std::string TScriptedServer::Received(size_t i) const {
  std::lock_guard<std::mutex> lock(FMutex);
  return i < FReceived.size() ? FReceived[i] : std::string();
}

void TScriptedServer::Serve() {
  while (!FStop) {
    pollfd pfd{FListenFd, POLLIN, 0};
    if (::poll(&pfd, 1, 50) <= 0) continue;
    int fd = ::accept(FListenFd, nullptr, nullptr);
    if (fd < 0) continue;
    size_t index = FAccepted++;
    TScript* script = nullptr;
    {
      std::lock_guard<std::mutex> lock(FMutex);
      if (index < FScripts.size()) script = FScripts[index].get();
    }
    if (!script) {
      ::close(fd);
      continue;
    }
    FConnThreads.emplace_back([this, fd, index, script] {
      TScriptConnection conn(fd);
      for (auto& step : script->FSteps) {
        if (FStop || !step(conn)) break;
      }
      // Collect whatever else the client sent before it closes.
      pollfd p{fd, POLLIN, 0};
      while (!conn.PeerClosed() && ::poll(&p, 1, 0) > 0 && conn.ReadBytes(1, 0).size() == 1) {
      }
      ::close(fd);
      std::lock_guard<std::mutex> lock(FMutex);
      FReceived[index] = conn.Received();
      ++FDone;
      FDoneChanged.notify_all();
    });
  }
}

}  // namespace testsupport
