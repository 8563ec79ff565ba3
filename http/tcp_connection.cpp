// The session's connection on the shared endpoint: connect, send, buffered
// line and block reads, with the endpoint's failures raised as EId errors.
#include "http/tcp_connection.h"

#include <vector>

#include "http/exceptions.h"
#include "platform/socket_error.h"
#include "platform/tls_trust.h"

TIdTCPConnection::~TIdTCPConnection() { Disconnect(); }

void TIdTCPConnection::Connect(const std::string& host, int port, int timeout_ms,
                               platform::TTlsTrust* trust) {
  Disconnect();
  FInput.clear();
  FStart = 0;
  FPeerClosed = false;
  // The limit bounds the look-up, the connect and every later send; reads
  // get theirs in Receive().
  FEndpoint.SetReceiveLimit(0);
  switch (FEndpoint.Connect(host, port, timeout_ms, timeout_ms)) {
    case platform::TConnectFailure::None:
      break;
    case platform::TConnectFailure::Socket:
      throw EIdInvalidSocket();
    case platform::TConnectFailure::ConnectTimedOut:
      throw EIdConnectTimeout();
    default:
      throw EIdSocketError(FEndpoint.Wsa());
  }
  if (trust) {
    FEndpoint.SetReceiveLimit(ReadTimeout);
    std::string cause;
    if (!FEndpoint.StartTls(*trust, host, cause)) {
      Disconnect();
      throw EIdTLSNegotiationFailed(cause);
    }
  }
}

void TIdTCPConnection::Disconnect() { FEndpoint.Close(); }

bool TIdTCPConnection::Connected() {
  if (FPeerClosed) Disconnect();
  return FEndpoint.IsOpen();
}

void TIdTCPConnection::CheckForDisconnect(int ms) {
  if (!Connected()) return;
  if (FEndpoint.WaitReadable(ms)) Receive(FInput);
}

void TIdTCPConnection::RaiseSendFailure() {
  const int wsa = FEndpoint.Wsa();
  if (wsa == platform::kWsaConnAborted || wsa == platform::kWsaConnReset ||
      wsa == platform::kWsaShutdown) {
    Disconnect();
  }
  throw EIdSocketError(wsa);
}

void TIdTCPConnection::Write(std::string_view head, std::string_view body, size_t block_size) {
  if (FPeerClosed) throw EIdConnClosedGracefully();
  if (!FEndpoint.IsOpen()) throw EIdNotConnected();
  if (block_size == 0) block_size = 1;
  auto send_all = [this](std::string_view bytes) {
    while (!bytes.empty()) {
      const ssize_t sent = FEndpoint.Send(bytes.data(), bytes.size());
      if (sent < 0) RaiseSendFailure();
      bytes.remove_prefix(static_cast<size_t>(sent));
    }
  };
  // The head and the first body block leave in one call; Nagle's algorithm
  // stays on, so small requests go out as one segment.
  std::string_view first = body.substr(0, block_size);
  body.remove_prefix(first.size());
  std::string opening;
  opening.reserve(head.size() + first.size());
  opening.append(head).append(first);
  send_all(opening);
  while (!body.empty()) {
    std::string_view block = body.substr(0, block_size);
    body.remove_prefix(block.size());
    send_all(block);
  }
}

bool TIdTCPConnection::Receive(std::string& target) {
  if (!FEndpoint.IsOpen()) throw EIdNotConnected();
  FEndpoint.SetReceiveLimit(ReadTimeout);
  thread_local std::vector<char> scratch;
  if (scratch.size() < RecvBufferSize) scratch.resize(RecvBufferSize);
  const ssize_t got = FEndpoint.Receive(scratch.data(), RecvBufferSize);
  if (got < 0 && FEndpoint.LimitExpired()) throw EIdReadTimeout();
  if (got > 0) {
    if (&target == &FInput && FStart == FInput.size()) {
      FInput.clear();
      FStart = 0;
    }
    target.append(scratch.data(), static_cast<size_t>(got));
    return true;
  }
  if (got < 0) {
    const int wsa = FEndpoint.Wsa();
    if (wsa != platform::kWsaConnAborted && wsa != platform::kWsaShutdown)
      throw EIdSocketError(wsa);
    Disconnect();
    if (Buffered() == 0) throw EIdSocketError(wsa);
  }
  FPeerClosed = true;
  Disconnect();
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
