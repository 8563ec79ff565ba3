// TIdTCPConnection: the session's connection: the shared
// platform::TTcpEndpoint (plain or TLS), the input buffer of bytes received
// and not yet consumed, and the peer-closed flag. Reads wait at most the
// given time (0 or less: no limit). Owned by one TIdHTTP and used on its
// thread. Turns every transport failure into the EId errors of
// http/exceptions.h.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/tcp_endpoint.h"  // also declares platform::TTlsTrust

class TIdTCPConnection {
 public:
  TIdTCPConnection() = default;
  ~TIdTCPConnection();  // disconnects
  TIdTCPConnection(const TIdTCPConnection&) = delete;
  TIdTCPConnection& operator=(const TIdTCPConnection&) = delete;

  size_t RecvBufferSize = 32768;
  int ReadTimeout = 0;

  // Opens a connection to `host`:`port`, emptying the input buffer first.
  // `timeout_ms` above 0 limits the name look-up (socket error 10060), the
  // connect (EIdConnectTimeout) and every send. With `trust` the connection
  // speaks TLS, checked against it and the host, before anything is sent
  // (EIdTLSNegotiationFailed). On failure the socket is closed before the
  // error passes on.
  void Connect(const std::string& host, int port, int timeout_ms,
               platform::TTlsTrust* trust = nullptr);
  // Shuts down the sending side and closes; the input buffer stays.
  void Disconnect();
  // True while the socket is open; a noticed close by the server closes it.
  bool Connected();
  bool PeerClosed() const { return FPeerClosed; }
  // True while the open connection speaks TLS.
  bool Secure() const { return FEndpoint.Secure(); }
  // Waits at most `ms` for data and takes in what has arrived, so that a
  // close by the server is noticed.
  void CheckForDisconnect(int ms);

  // Sends `head` as one block and then `body` in blocks of at most
  // `block_size` bytes.
  void Write(std::string_view head, std::string_view body, size_t block_size);

  // One line up to LF, a CR before it removed. A line, or unterminated
  // input, longer than `max_length` raises EIdReadLnMaxLineLengthExceeded.
  // A close with an unfinished line waiting gives "" and leaves the bytes.
  std::string ReadLn(size_t max_length);
  // Appends up to `count` bytes to `sink`, as they arrive, at most
  // `limit` bytes in `sink` in all (EIdException "Response body too large"
  // beyond). A close by the server ends the reading early; with
  // `close_raises` it raises EIdConnClosedGracefully instead.
  void ReadBytes(size_t count, std::string& sink, size_t limit, bool close_raises);
  // Appends every byte until the server closes, within `limit` as above.
  void ReadToClose(std::string& sink, size_t limit);

 private:
  size_t Buffered() const { return FInput.size() - FStart; }
  void TakeBuffered(size_t count, std::string& sink, size_t limit);
  // Receives once into `target` (appending); false when the server closed.
  bool Receive(std::string& target);
  [[noreturn]] void RaiseSendFailure();
  platform::TTcpEndpoint FEndpoint;
  std::string FInput;
  size_t FStart = 0;  // first unconsumed byte of FInput
  bool FPeerClosed = false;
};
