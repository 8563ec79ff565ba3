// TVioTcp: the TCP transport of one MySQL session, on the shared
// platform::TTcpEndpoint (name look-up and connect within the connect
// timeout, a 16384-byte read-ahead buffer so that short reads cost few
// receive calls). Failures leave a detail text in LastError() that the
// packet layer puts into its messages; nothing here raises.
//
// Owned by the session's packet layer; one thread at a time.
#pragma once

#include <cstddef>
#include <string>

#include "mysql/my_vio.h"
#include "platform/tcp_endpoint.h"

class TVioTcp final : public TMyVio {
 public:
  TVioTcp(std::string host, int port);
  ~TVioTcp() override;
  TVioTcp(const TVioTcp&) = delete;
  TVioTcp& operator=(const TVioTcp&) = delete;

  // Limit in seconds of the name look-up, the connect, and then of every
  // receive and send.
  void SetTimeout(int seconds) override;

  // Resolves and connects; false on failure with LastError() set and the
  // socket closed.
  bool Connect() override;
  bool IsOpen() const { return FEndpoint.IsOpen(); }

  // Reads up to n bytes; fewer when the peer closed, a receive failed or
  // timed out (then LastError() says why).
  size_t Read(char* dest, size_t n) override;
  // Zero-copy form for short reads: when n bytes can be had from the
  // read-ahead buffer (refilling it once if needed), points `data` at them
  // and returns true; they stay valid until the next read.
  bool ReadBuffered(size_t n, const char*& data) override;
  // Sends every byte; returns how many went out (fewer on failure).
  size_t Write(const char* data, size_t n) override;
  // Shuts the socket down both ways and closes it.
  void Close() override;

  const std::string& LastError() const override { return FLastError; }
  // 10061 refused, 11001 unknown host, 10060 timed out, 10049 a bad port...
  int ConnectError() const override { return FEndpoint.Wsa(); }

 private:
  bool Fail(const char* what, int wsa);
  bool Refill();

  std::string FHost;
  int FPort;
  int FTimeout = 30;
  std::string FLastError;
  platform::TTcpEndpoint FEndpoint;
};
