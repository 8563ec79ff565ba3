// TMyVio: what the packet layer needs of a session's transport. TVioTcp is
// the one the client uses; a process may install another maker for its
// sessions (SetVioMaker), as the fuzz targets do to play a server's bytes
// from memory.
//
// A transport is owned by its session's packet layer; one thread at a time.
// Nothing here raises: failures leave a detail text in LastError().
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "platform/socket_error.h"

class TMyVio {
 public:
  virtual ~TMyVio() = default;

  // Receive timeout and name-lookup limit, in seconds.
  virtual void SetTimeout(int seconds) = 0;
  // Opens the transport; false on failure with LastError() set.
  virtual bool Connect() = 0;
  // Reads up to n bytes; fewer when the peer closed or a receive failed.
  virtual size_t Read(char* dest, size_t n) = 0;
  // Zero-copy form for short reads: when n bytes can be had at once, points
  // `data` at them and returns true; they stay valid until the next read.
  // False leaves everything unread.
  virtual bool ReadBuffered(size_t n, const char*& data) = 0;
  // Sends every byte; returns how many went out (fewer on failure).
  virtual size_t Write(const char* data, size_t n) = 0;
  virtual void Close() = 0;
  virtual const std::string& LastError() const = 0;
  // The socket error number of a failed Connect, for the message head
  // ("connection refused" where a transport has none of its own).
  virtual int ConnectError() const { return platform::kWsaConnRefused; }
};

// Makes the transport of a session that connects to host and port. The
// default maker (null) makes a TVioTcp. Set before any session connects.
using TVioMaker = std::unique_ptr<TMyVio> (*)(const std::string& host, int port);
void SetVioMaker(TVioMaker maker);
std::unique_ptr<TMyVio> MakeVio(const std::string& host, int port);
