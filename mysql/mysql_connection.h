// TMySQLConnection: the protocol session behind one TMyConnection, and the
// one place where the engine's error results become EMyError. It opens the
// session (login, version check, character-set statement) and closes it,
// and offers the statement steps the command and the record set use, each
// raising EMyError where the engine reports a failure. Before a fatal
// error (1053, 2003, 2006, 2013, and 1156, 2020 and 2027, after which the
// rest of the server's answer is left unread) reaches the caller, the
// session is dropped.
//
// Owned by its TMyConnection; one thread at a time. The statement steps
// require an open session.
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
  const std::string& ServerVersion() const { return FServerVersion; }

  // Selects the default database of the open session.
  void SelectDatabase(const std::string& database);

  // Sends `text` and reads the response header; `timeout` in seconds, 0
  // meaning a year. Returns the affected-row count.
  int64_t Query(const std::string& text, int32_t timeout);
  // The result of the response just read, or null when it has no columns.
  std::unique_ptr<TMySqlResultSet> UseResult();
  // The next row of `result`, or null after the last one.
  const TMySqlBinds* FetchRow(TMySqlResultSet& result);
  // Skips the unread rows and frees the result; never raises.
  void FreeResult(std::unique_ptr<TMySqlResultSet> result);
  // Reads the header of the next result the server announced; false when
  // none is announced.
  bool NextResult();
  // Reads and frees every further result the server announced.
  void SkipFurtherResults();

 private:
  void ParseServerVersion();
  void SendCharsetStatement(const TMySQLConnectSettings& settings);
  // Raises the session's last error, disconnecting first for a fatal code.
  [[noreturn]] void RaiseLastError();
  void Check(int rc) {
    if (rc != 0) RaiseLastError();
  }

  TMySQLAPIDirect& FEngine;
  std::unique_ptr<TMySqlSession> FSession;
  std::string FServerVersion;
  int FMajor = 0, FMinor = 0;
};

// True for the error codes after which the session is dropped.
bool IsFatalError(int code);
