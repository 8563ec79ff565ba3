// TMySQLConnection: the protocol session behind one TMyConnection. Opens it
// (login, version check, character-set statement), closes it, and turns the
// engine's last error into EMyError, dropping the session first when the
// error is fatal (1053, 2003, 2006, 2013, and 1156, 2020 and 2027, after
// which the rest of the server's answer is left unread).
//
// Owned by its TMyConnection; one thread at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "mysql/my_session.h"

class TMySQLAPIDirect;

struct TMySQLConnectSettings {
  std::string Database;
  int32_t ConnectionTimeout = 15;
  bool UseUnicode = false;
  std::string Charset;
  int32_t Port = 3306;
  bool Compress = false;
  std::string Username;
  std::string Password;
  std::string Server;
};

class TMySQLConnection {
 public:
  TMySQLConnection();
  ~TMySQLConnection();
  TMySQLConnection(const TMySQLConnection&) = delete;
  TMySQLConnection& operator=(const TMySQLConnection&) = delete;

  // Raises EMyError, or EConvertError for an unreadable server version;
  // on failure nothing stays open.
  void Connect(const TMySQLConnectSettings& settings);
  // Closes the session if open; never raises.
  void Disconnect();
  bool Connected() const { return FSession != nullptr; }

  // Selects the default database of the open session; raises EMyError.
  void SelectDatabase(const std::string& database);

  // Raises the session's last error as EMyError (disconnecting first for
  // a fatal code). Requires a session.
  [[noreturn]] void RaiseLastError();
  // RaiseLastError when `rc` is not 0.
  void Check(int rc) {
    if (rc != 0) RaiseLastError();
  }

  TMySqlSession& Session() { return *FSession; }
  TMySQLAPIDirect& Engine() { return FEngine; }
  const std::string& ServerVersion() const { return FServerVersion; }
  int ServerMajor() const { return FMajor; }
  int ServerMinor() const { return FMinor; }
  int ServerRelease() const { return FRelease; }

 private:
  void ParseServerVersion();
  TMySQLAPIDirect& FEngine;
  std::unique_ptr<TMySqlSession> FSession;
  std::string FServerVersion;
  int FMajor = 0, FMinor = 0, FRelease = 0;
};

// True for the error codes after which the session is dropped.
bool IsFatalError(int code);
