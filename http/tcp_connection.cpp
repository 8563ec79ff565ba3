// The session's TCP transport: connect, send, buffered line and block reads.
#include "http/tcp_connection.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "http/exceptions.h"
#include "http/host_resolver.h"
#include "platform/socket_error.h"

namespace {

constexpr int kWsaConnAborted = 10053;
constexpr int kWsaShutdown = 10058;
constexpr int kWsaAddrNotAvail = 10049;

[[noreturn]] void RaiseLastSocketError() { throw EIdSocketError(platform::WsaFromErrno(errno)); }

// Sets a receive or send time limit on a socket (0 or less: none).
void SetTimeLimit(int fd, int option, int timeout_ms) {
  timeval limit{};
  if (timeout_ms > 0) {
    limit.tv_sec = timeout_ms / 1000;
    limit.tv_usec = (timeout_ms % 1000) * 1000;
  }
  ::setsockopt(fd, SOL_SOCKET, option, &limit, sizeof limit);
}

bool WouldBlock(int err) { return err == EAGAIN || err == EWOULDBLOCK; }

}  // namespace

TIdTCPConnection::~TIdTCPConnection() { CloseSocket(); }

void TIdTCPConnection::CloseSocket() {
  if (FSocket >= 0) {
    ::close(FSocket);
    FSocket = -1;
  }
}

void TIdTCPConnection::Connect(const std::string& host, int port, int timeout_ms) {
  CloseSocket();
  FInput.clear();
  FStart = 0;
  FPeerClosed = false;
  FSocket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (FSocket < 0) throw EIdInvalidSocket();
  try {
    sockaddr_in remote{};
    remote.sin_family = AF_INET;
    remote.sin_addr = ResolveHost(host);
    if (port < 0 || port > 65535) throw EIdSocketError(kWsaAddrNotAvail);
    remote.sin_port = htons(static_cast<uint16_t>(port));
    // The limit bounds the connect and every later send; reads get theirs
    // in Receive().
    if (timeout_ms > 0) SetTimeLimit(FSocket, SO_SNDTIMEO, timeout_ms);
    FAppliedReadTimeout = 0;
    if (::connect(FSocket, reinterpret_cast<sockaddr*>(&remote), sizeof remote) != 0) {
      if (timeout_ms > 0 && (errno == EINPROGRESS || WouldBlock(errno))) {
        throw EIdConnectTimeout();
      }
      RaiseLastSocketError();
    }
  } catch (...) {
    CloseSocket();
    throw;
  }
}

void TIdTCPConnection::Disconnect() {
  if (FSocket >= 0) ::shutdown(FSocket, SHUT_WR);
  CloseSocket();
}

bool TIdTCPConnection::Connected() {
  if (FPeerClosed) CloseSocket();
  return FSocket >= 0;
}

void TIdTCPConnection::CheckForDisconnect(int ms) {
  if (!Connected()) return;
  pollfd pfd{FSocket, POLLIN, 0};
  if (::poll(&pfd, 1, ms) > 0) Receive(FInput);
}

void TIdTCPConnection::Write(std::string_view head, std::string_view body, size_t block_size) {
  if (FPeerClosed) throw EIdConnClosedGracefully();
  if (FSocket < 0) throw EIdNotConnected();
  if (block_size == 0) block_size = 1;
  // The head and the first body block leave in one call; Nagle's algorithm
  // stays on, so small requests go out as one segment.
  std::string_view first = body.substr(0, block_size);
  body.remove_prefix(first.size());
  iovec parts[2] = {{const_cast<char*>(head.data()), head.size()},
                    {const_cast<char*>(first.data()), first.size()}};
  auto send_parts = [this](iovec* iov, int count) {
    msghdr msg{};
    msg.msg_iov = iov;
    msg.msg_iovlen = static_cast<size_t>(count);
    while (msg.msg_iovlen > 0) {
      ssize_t sent = ::sendmsg(FSocket, &msg, MSG_NOSIGNAL);
      if (sent < 0) {
        if (errno == EINTR) continue;
        // A send that waited out the time limit: the server takes nothing.
        int wsa = WouldBlock(errno) ? platform::kWsaTimedOut : platform::WsaFromErrno(errno);
        if (wsa == kWsaConnAborted || wsa == platform::kWsaConnReset || wsa == kWsaShutdown) {
          CloseSocket();
        }
        throw EIdSocketError(wsa);
      }
      size_t left = static_cast<size_t>(sent);
      while (msg.msg_iovlen > 0 && left >= msg.msg_iov->iov_len) {
        left -= msg.msg_iov->iov_len;
        ++msg.msg_iov;
        --msg.msg_iovlen;
      }
      if (msg.msg_iovlen > 0) {
        msg.msg_iov->iov_base = static_cast<char*>(msg.msg_iov->iov_base) + left;
        msg.msg_iov->iov_len -= left;
      }
    }
  };
  send_parts(parts, 2);
  while (!body.empty()) {
    std::string_view block = body.substr(0, block_size);
    body.remove_prefix(block.size());
    iovec one{const_cast<char*>(block.data()), block.size()};
    send_parts(&one, 1);
  }
}

bool TIdTCPConnection::Receive(std::string& target) {
  if (FSocket < 0) throw EIdNotConnected();
  int wanted = ReadTimeout > 0 ? ReadTimeout : 0;
  if (wanted != FAppliedReadTimeout) {
    SetTimeLimit(FSocket, SO_RCVTIMEO, wanted);
    FAppliedReadTimeout = wanted;
  }
  thread_local std::vector<char> scratch;
  if (scratch.size() < RecvBufferSize) scratch.resize(RecvBufferSize);
  ssize_t got = FSpin.Receive(FSocket, scratch.data(), RecvBufferSize);
  if (got < 0 && WouldBlock(errno)) throw EIdReadTimeout();
  if (got > 0) {
    if (&target == &FInput && FStart == FInput.size()) {
      FInput.clear();
      FStart = 0;
    }
    target.append(scratch.data(), static_cast<size_t>(got));
    return true;
  }
  if (got < 0) {
    int wsa = platform::WsaFromErrno(errno);
    if (wsa != kWsaConnAborted && wsa != kWsaShutdown) throw EIdSocketError(wsa);
    CloseSocket();
    if (Buffered() == 0) throw EIdSocketError(wsa);
  }
  FPeerClosed = true;
  CloseSocket();
  return false;
}

std::string TIdTCPConnection::ReadLn(size_t max_length) {
  size_t scan = FStart;
  for (;;) {
    size_t lf = FInput.find('\n', scan);
    if (lf != std::string::npos) {
      size_t end = lf > FStart && FInput[lf - 1] == '\r' ? lf - 1 : lf;
      if (end - FStart > max_length) throw EIdReadLnMaxLineLengthExceeded();
      std::string line = FInput.substr(FStart, end - FStart);
      FStart = lf + 1;
      return line;
    }
    if (Buffered() > max_length) throw EIdReadLnMaxLineLengthExceeded();
    scan = FInput.size();
    if (FPeerClosed) throw EIdConnClosedGracefully();
    size_t before = FStart;
    if (!Receive(FInput)) {
      if (Buffered() == 0) throw EIdConnClosedGracefully();
      return std::string();
    }
    if (FStart != before) scan = FStart;  // the buffer was compacted
  }
}

void TIdTCPConnection::TakeBuffered(size_t count, std::string& sink, size_t limit) {
  size_t take = std::min(count, Buffered());
  if (sink.size() + take > limit) throw EIdException("Response body too large");
  sink.append(FInput, FStart, take);
  FStart += take;
}

void TIdTCPConnection::ReadBytes(size_t count, std::string& sink, size_t limit, bool close_raises) {
  constexpr size_t kReserveAhead = 1u << 20;
  sink.reserve(sink.size() + std::min(count, kReserveAhead));
  size_t start = sink.size();
  TakeBuffered(count, sink, limit);
  while (sink.size() - start < count) {
    if (!Connected() || !Receive(FInput)) {
      if (close_raises) throw EIdConnClosedGracefully();
      return;
    }
    TakeBuffered(count - (sink.size() - start), sink, limit);
  }
}

void TIdTCPConnection::ReadToClose(std::string& sink, size_t limit) {
  TakeBuffered(Buffered(), sink, limit);
  while (Connected() && Receive(FInput)) TakeBuffered(Buffered(), sink, limit);
}
