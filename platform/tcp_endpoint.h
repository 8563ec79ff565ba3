// TTcpEndpoint: one IPv4 TCP connection, the transport under both the MySQL
// and the HTTP client. It resolves the host within a deadline, connects
// within a limit, marks the socket close-on-exec, applies send and receive
// limits in milliseconds, receives with the short polling wait of
// TReceiveSpin, keeps a read-ahead buffer, and may speak TLS (StartTls).
// Every failure is reported as a Windows Sockets number (socket_error.h),
// never raised: each client turns it into its own kind of error.
//
// Owned by one connection object of a client and used by one thread at a
// time. Copying is deleted: the endpoint owns its socket.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <memory>
#include <string>

#include "platform/socket_receive.h"

namespace platform {

class TTlsTrust;

// What part of opening a connection failed.
enum class TConnectFailure {
  None,
  Socket,          // no socket could be made
  BadPort,         // a port outside 1..65535 (10049)
  Lookup,          // the name could not be resolved (Wsa() says why)
  LookupTimedOut,  // the resolver did not answer within the deadline (10060)
  Connect,         // the connect failed (Wsa() says why)
  ConnectTimedOut  // the connect did not finish within its limit (10060)
};

class TTcpEndpoint {
 public:
  static constexpr size_t kReadAhead = 16384;

  TTcpEndpoint();
  ~TTcpEndpoint();  // closes the socket
  TTcpEndpoint(const TTcpEndpoint&) = delete;
  TTcpEndpoint& operator=(const TTcpEndpoint&) = delete;

  // Resolves `host` (the loopback name and dotted-decimal addresses without
  // a look-up; others within `lookup_ms`, 0 or less: no limit) and connects
  // to `port` within `connect_ms` (0 or less: no limit; the limit stays as
  // the send limit until SetSendLimit). Closes a connection still open and
  // empties the read-ahead buffer first. On failure the socket is closed and
  // Wsa() holds the number.
  TConnectFailure Connect(const std::string& host, int port, int lookup_ms, int connect_ms);

  // Speaks TLS 1.2 or newer from now on: sends the host as SNI (a name, not
  // an address), verifies the peer's chain against `trust` and the host
  // against the certificate. Nothing else is sent before it succeeds. False
  // with `cause` set (the reason in English, for example "certificate verify
  // failed (hostname mismatch)") when the handshake or the check fails; the
  // receive limit bounds the handshake.
  bool StartTls(TTlsTrust& trust, const std::string& host, std::string& cause);
  bool Secure() const;

  bool IsOpen() const { return FSocket >= 0; }
  // Limits in milliseconds, 0 or less: none. Kept across connects.
  void SetReceiveLimit(int ms);
  void SetSendLimit(int ms);
  // TCP_NODELAY and SO_KEEPALIVE on the open socket.
  void SetNoDelayAndKeepAlive();

  // Sends up to n bytes once: the count sent, or -1 with Wsa() set (10060
  // when the send limit expired).
  ssize_t Send(const char* data, size_t n);
  // Receives up to n bytes once: the count, 0 when the peer closed, or -1
  // with Wsa() set (10060 and LimitExpired() when the receive limit expired).
  ssize_t Receive(char* dest, size_t n);
  // Waits at most `ms` for something to read; true when there is.
  bool WaitReadable(int ms);

  // The read-ahead buffer: bytes received and not yet taken.
  size_t Buffered() const { return FBufferLen - FBufferPos; }
  const char* BufferedData() const { return FBuffer.get() + FBufferPos; }
  void Consume(size_t n) { FBufferPos += n; }
  // Drops what is buffered.
  void ClearBuffer() { FBufferPos = FBufferLen = 0; }
  // One receive appended to the read-ahead buffer (moving what is buffered to
  // its front first); the result as for Receive. Pointers from BufferedData
  // stay valid until the next Fill or ClearBuffer.
  ssize_t Fill();

  // The last failure: its socket error number, and whether it was a limit
  // that ran out.
  int Wsa() const { return FWsa; }
  bool LimitExpired() const { return FLimitExpired; }

  // Shuts the sending side down (or both sides), then closes. The
  // read-ahead buffer stays.
  void Close(bool both_ways = false);

 private:
  struct TTls;  // its BIO calls RawSend and RawReceive
  ssize_t RawSend(const char* data, size_t n);
  ssize_t RawReceive(char* dest, size_t n);
  ssize_t Failed(int wsa, bool limit = false);
  void ApplyLimit(int option, int ms);

  int FSocket = -1;
  int FReceiveLimit = 0;
  int FSendLimit = 0;
  int FWsa = 0;
  bool FLimitExpired = false;
  TReceiveSpin FSpin;
  std::unique_ptr<char[]> FBuffer;
  size_t FBufferPos = 0;
  size_t FBufferLen = 0;
  std::unique_ptr<TTls> FTls;
};

// True for four dot-separated decimal numbers, each 0 to 255.
bool IsDottedQuad(const std::string& host);

}  // namespace platform
