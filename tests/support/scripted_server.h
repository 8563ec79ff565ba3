// A scripted loopback TCP server for protocol tests: it listens on
// 127.0.0.1 at a port the system chooses, plays one byte script per accepted
// connection (send bytes, read and record what the client sends, pause,
// close) and keeps every byte each client sent for the test to inspect.
//
// Scripts are added before the client connects; connection i plays script i,
// a connection beyond the scripts is closed at once. Runs on its own thread;
// all public calls may be made from the test's thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

// The accepted connection as a script step sees it.
class TScriptConnection {
 public:
  explicit TScriptConnection(int fd) : FFd(fd) {}
  // Sends every byte; false when the peer has gone.
  bool Send(const std::string& bytes);
  // Reads exactly n bytes (fewer when the peer closes or `timeout_ms` passes).
  std::string ReadBytes(size_t n, int timeout_ms = 5000);
  // Reads until `marker` has arrived (inclusive), the peer closes or time runs out.
  std::string ReadUntil(const std::string& marker, int timeout_ms = 5000);
  // Reads until the peer closes or time runs out.
  std::string ReadToClose(int timeout_ms = 5000);
  // Everything the client sent so far on this connection.
  const std::string& Received() const { return FReceived; }
  bool PeerClosed() const { return FPeerClosed; }
  int Fd() const { return FFd; }

 private:
  bool ReadSome(int timeout_ms);
  int FFd;
  std::string FReceived;
  size_t FConsumed = 0;
  bool FPeerClosed = false;
};

class TScript {
 public:
  using TStep = std::function<bool(TScriptConnection&)>;  // false ends the script
  TScript& Send(std::string bytes);
  TScript& ReadBytes(size_t n);
  TScript& ReadUntil(std::string marker);
  // One MySQL packet: the 4-byte header, then the length it announces.
  TScript& ReadMySqlPacket();
  // One HTTP request: the header block, then a Content-Length body if any.
  TScript& ReadHttpRequest();
  TScript& ReadToClose();
  TScript& Sleep(int ms);
  // Ends the script at once (the connection is closed).
  TScript& Close();
  // Closes with a TCP reset instead of an orderly close.
  TScript& Reset();
  TScript& Do(TStep step);

 private:
  friend class TScriptedServer;
  std::vector<TStep> FSteps;
};

class TScriptedServer {
 public:
  TScriptedServer();
  ~TScriptedServer();
  TScriptedServer(const TScriptedServer&) = delete;
  TScriptedServer& operator=(const TScriptedServer&) = delete;

  int Port() const { return FPort; }
  // The script for the next connection not yet given one.
  TScript& AddConnection();
  // Waits until every scripted connection has been played to its end.
  bool WaitDone(int timeout_ms = 5000);
  // Bytes the client sent on connection i ("" when it never came).
  std::string Received(size_t i) const;
  size_t Accepted() const { return FAccepted.load(); }

 private:
  void Serve();
  int FListenFd = -1;
  int FPort = 0;
  std::atomic<bool> FStop{false};
  std::atomic<size_t> FAccepted{0};
  mutable std::mutex FMutex;
  std::condition_variable FDoneChanged;
  std::vector<std::unique_ptr<TScript>> FScripts;
  std::vector<std::string> FReceived;
  size_t FDone = 0;
  std::vector<std::thread> FConnThreads;
  std::thread FThread;
};

}  // namespace testsupport
