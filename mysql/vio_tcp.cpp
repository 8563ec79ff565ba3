// TCP transport of a MySQL session: the shared endpoint, with failures
// turned into the detail texts of the packet layer's messages.
#include "mysql/vio_tcp.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <thread>

#include "mysql/client_errors.h"

namespace {

constexpr size_t kDirectReadFrom = 2048;
constexpr size_t kReadAhead = platform::TTcpEndpoint::kReadAhead;

// Seconds as the endpoint's milliseconds: 0 or less for none, and a limit
// beyond what an int holds in milliseconds (a year, say) as the longest one.
int Milliseconds(int seconds) {
  if (seconds <= 0) return 0;
  return static_cast<int>(std::min<int64_t>(int64_t{seconds} * 1000, INT_MAX));
}

void Pause10ms() { std::this_thread::sleep_for(std::chrono::milliseconds(10)); }

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
  FTimeout = seconds;
  if (IsOpen()) FEndpoint.SetReceiveLimit(Milliseconds(seconds));
}

bool TVioTcp::Fail(const char* what, int wsa) {
  FLastError = mysql_client::FormatMessageText(
      std::string("Socket error on ") + what + ". WSAGetLastError return %d($%X)",
      {int64_t{wsa}, int64_t{wsa}});
  return false;
}

bool TVioTcp::Connect() {
  FLastError.clear();
  const int limit_ms = Milliseconds(FTimeout);
  FEndpoint.SetReceiveLimit(limit_ms);
  switch (FEndpoint.Connect(FHost, FPort, limit_ms, limit_ms)) {
    case platform::TConnectFailure::None:
      break;
    case platform::TConnectFailure::LookupTimedOut:
    case platform::TConnectFailure::ConnectTimedOut:
      FLastError = "Connection timed out";
      return false;
    default:
      return Fail("connect", FEndpoint.Wsa());
  }
  FEndpoint.SetNoDelayAndKeepAlive();
  // The send limit is set once, at connect, to the timeout of that moment.
  FEndpoint.SetSendLimit(limit_ms);
  return true;
}

bool TVioTcp::Refill() {
  const ssize_t got = FEndpoint.Fill();
  if (got > 0) return true;
  if (got < 0) Fail("read", FEndpoint.Wsa());
  Pause10ms();
  return false;
}

bool TVioTcp::ReadBuffered(size_t n, const char*& data) {
  if (!IsOpen() || n > kReadAhead) return false;
  if (FEndpoint.Buffered() < n) {
    if (n >= kDirectReadFrom && FEndpoint.Buffered() == 0) return false;
    while (FEndpoint.Buffered() < n) {
      if (!Refill()) return false;
    }
  }
  data = FEndpoint.BufferedData();
  FEndpoint.Consume(n);
  return true;
}

size_t TVioTcp::Read(char* dest, size_t n) {
  size_t done = std::min(n, FEndpoint.Buffered());
  std::memcpy(dest, FEndpoint.BufferedData(), done);
  FEndpoint.Consume(done);
  if (done == n || !IsOpen()) return done;

  if (n - done < kDirectReadFrom) {
    FEndpoint.ClearBuffer();
    if (!Refill()) return done;
    const size_t take = std::min(n - done, FEndpoint.Buffered());
    std::memcpy(dest + done, FEndpoint.BufferedData(), take);
    FEndpoint.Consume(take);
    done += take;
  }
  while (done < n) {
    const ssize_t got = FEndpoint.Receive(dest + done, n - done);
    if (got <= 0) {
      if (got < 0) Fail("read", FEndpoint.Wsa());
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
  while (done < n && IsOpen()) {
    const ssize_t sent = FEndpoint.Send(data + done, n - done);
    if (sent < 0) {
      Fail("write", FEndpoint.Wsa());
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
  FEndpoint.Close(true);
  FEndpoint.ClearBuffer();
}
