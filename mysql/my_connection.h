// TMyConnection: one session with one MySQL server, opened with the
// handshake and login and closed with the quit command. A newly created
// connection holds the defaults below; the cursors bound to it (TMyQuery)
// run their statements on it one after another.
//
// Used from one thread at a time. Connect and the property writes that must
// talk to the server raise EMyError; misuse raises EDatabaseError. A fatal
// error (codes 1053, 1156, 2003, 2006, 2013, 2020, 2027) leaves the
// connection disconnected, and the next statement connects again.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class TMyConnection;
class TMySQLConnection;

enum class TMyProtocol { mpTCP };

class TMyConnectionOptions {
 public:
  explicit TMyConnectionOptions(TMyConnection& owner) : FOwner(owner) {}
  TMyConnectionOptions(const TMyConnectionOptions&) = delete;
  TMyConnectionOptions& operator=(const TMyConnectionOptions&) = delete;

  const std::string& Charset() const { return FCharset; }
  // Raises EDatabaseError "Cannot perform this operation on an open
  // connection" while connected.
  void SetCharset(const std::string& charset);
  bool UseUnicode() const { return FUseUnicode; }
  void SetUseUnicode(bool value) { FUseUnicode = value; }
  // Accepted, no effect: compressed framing is not built, so the session
  // never asks for it.
  bool Compress() const { return FCompress; }
  void SetCompress(bool value) { FCompress = value; }
  // Accepted, no effect: the built-in protocol engine is the only one.
  bool Direct() const { return FDirect; }
  void SetDirect(bool value) { FDirect = value; }
  // Accepted, no effect: TCP/IP is the only transport.
  TMyProtocol Protocol() const { return FProtocol; }
  void SetProtocol(TMyProtocol value) { FProtocol = value; }
  // BIGINT and BIT columns shorter than 12 digits become 32-bit fields.
  bool OptimizedBigInt() const { return FOptimizedBigInt; }
  void SetOptimizedBigInt(bool value) { FOptimizedBigInt = value; }

 private:
  TMyConnection& FOwner;
  std::string FCharset;
  bool FUseUnicode = false;
  bool FCompress = false;
  bool FDirect = true;
  TMyProtocol FProtocol = TMyProtocol::mpTCP;
  bool FOptimizedBigInt = false;
};

class TMyConnection {
 public:
  TMyConnection();
  ~TMyConnection();
  TMyConnection(const TMyConnection&) = delete;
  TMyConnection& operator=(const TMyConnection&) = delete;

  // Host name or dotted IPv4 address; empty means "localhost". Writing a
  // different value while connected disconnects first (so do Port,
  // Username and Password).
  const std::string& Server() const { return FServer; }
  void SetServer(const std::string& value);
  int32_t Port() const { return FPort; }
  void SetPort(int32_t value);
  const std::string& Username() const { return FUsername; }
  void SetUsername(const std::string& value);
  const std::string& Password() const { return FPassword; }
  void SetPassword(const std::string& value);
  // While connected, a change to a non-empty name selects that database on
  // the server; a refusal raises EMyError.
  const std::string& Database() const { return FDatabase; }
  void SetDatabase(const std::string& value);
  // Seconds: name lookup limit, handshake receive timeout and the limit of
  // the character-set statement.
  int32_t ConnectionTimeout() const { return FConnectionTimeout; }
  void SetConnectionTimeout(int32_t value) { FConnectionTimeout = value; }
  // Accepted, no effect: connecting never asks anything.
  bool LoginPrompt() const { return FLoginPrompt; }
  void SetLoginPrompt(bool value) { FLoginPrompt = value; }

  TMyConnectionOptions& Options() { return FOptions; }
  const TMyConnectionOptions& Options() const { return FOptions; }

  // Opens the session; nothing happens when already connected. Raises
  // EMyError (or EConvertError for an unreadable server version).
  void Connect();
  // Closes the session if open; never raises.
  void Disconnect();
  bool Connected() const;
  // The server version text of the greeting ("" while disconnected).
  std::string ServerVersion() const;

 private:
  friend class TMyQuery;
  // The protocol session, created at the first Connect.
  TMySQLConnection& Internal();

  std::string FServer;
  int32_t FPort = 3306;
  std::string FDatabase;
  std::string FUsername;
  std::string FPassword;
  int32_t FConnectionTimeout = 15;
  bool FLoginPrompt = true;
  TMyConnectionOptions FOptions{*this};
  std::unique_ptr<TMySQLConnection> FInternal;
};
