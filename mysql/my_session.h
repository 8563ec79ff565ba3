// TMySqlSession: one client session of the MySQL protocol: the connection
// phase (greeting, login, password exchange), the start of every command,
// the reading of a command's response header (OK report, local-file
// request, column definitions), the row packets of the result being read
// and the quit command. Each command packet is built in the session's own
// packet buffer, so sessions on different threads share nothing.
//
// Created by mysql_init and freed by mysql_close of TMySQLAPIDirect, which
// catch the EMySqlException raised here and keep it as the last error. One
// thread at a time.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "mysql/my_net.h"
#include "mysql/result_set.h"

constexpr uint32_t CLIENT_LONG_PASSWORD = 1;
constexpr uint32_t CLIENT_FOUND_ROWS = 2;
constexpr uint32_t CLIENT_LONG_FLAG = 4;
constexpr uint32_t CLIENT_CONNECT_WITH_DB = 8;
constexpr uint32_t CLIENT_COMPRESS = 32;
constexpr uint32_t CLIENT_LOCAL_FILES = 128;
constexpr uint32_t CLIENT_PROTOCOL_41 = 512;
constexpr uint32_t CLIENT_SSL = 2048;
constexpr uint32_t CLIENT_TRANSACTIONS = 8192;
constexpr uint32_t CLIENT_SECURE_CONNECTION = 32768;
constexpr uint32_t CLIENT_MULTI_STATEMENTS = 65536;
constexpr uint32_t CLIENT_MULTI_RESULTS = 131072;

constexpr uint16_t SERVER_STATUS_IN_TRANS = 1;
constexpr uint16_t SERVER_STATUS_AUTOCOMMIT = 2;
constexpr uint16_t SERVER_MORE_RESULTS_EXISTS = 8;

constexpr uint8_t COM_QUIT = 1;
constexpr uint8_t COM_INIT_DB = 2;
constexpr uint8_t COM_QUERY = 3;

enum TCommandState { csReady = 0, csHeaderRead = 1, csReadingRows = 2 };

class TMySqlSession {
 public:
  TMySqlSession() = default;
  ~TMySqlSession();
  TMySqlSession(const TMySqlSession&) = delete;
  TMySqlSession& operator=(const TMySqlSession&) = delete;

  // Options (mysql_options).
  int ConnectTimeout = 0;
  int ReadTimeout = 0;
  std::string CharsetOption;

  // Connection phase; raises EMySqlException, leaving the transport closed.
  void Connect(const std::string& host, const std::string& user, const std::string& password,
               const std::string& database, int port, uint32_t client_flags);
  // Quit command (unless already sent), then the transport is closed; a
  // result still being read is detached. Never raises.
  void Close();

  // Starts a command: 2014 unless the command state is ready, then the
  // command byte and payload go out as one packet with sequence 0.
  void StartCommand(uint8_t command, std::string_view payload);
  // Reads the response to a command: OK report, local-file request or the
  // column definitions of a result set.
  void ReadResponseHeader();
  // The result set of the last response, or null when it had no columns.
  // The session keeps a pointer to it until ResultFreed, to detach it on
  // Close.
  std::unique_ptr<TMySqlResultSet> UseResult();
  // The next packet of the rows being read, for the result set: false at
  // the end-of-data packet (its warnings and status taken, the command
  // state back to ready), true with `packet` pointing at a row, valid until
  // the next read.
  bool ReadRowPacket(std::string_view& packet);
  void ResultFreed(const TMySqlResultSet& result);
  // 0 after reading the next response header, -1 when none is announced.
  int NextResult();
  bool MoreResults() const { return (ServerStatus & SERVER_MORE_RESULTS_EXISTS) != 0; }

  bool Protocol41() const {
    return (ClientFlags & CLIENT_PROTOCOL_41) && (ServerCapabilities & CLIENT_PROTOCOL_41);
  }
  TMySqlNet& Net() { return FNet; }

  // Last error: code 0 and empty text after each successful engine call.
  int LastErrno = 0;
  std::string LastError;
  void SetError(int code, const std::string& text) {
    LastErrno = code;
    LastError = text;
  }

  // What the greeting and the OK and end-of-data packets said.
  std::string Host, Database, HostInfo, ServerVersion, Info;
  int Port = 0;
  uint32_t ClientFlags = 0;
  uint16_t ServerCapabilities = 0;
  uint8_t ServerCharset = 0;
  uint16_t ServerStatus = SERVER_STATUS_AUTOCOMMIT;
  uint32_t ConnectionId = 0;
  std::string Scramble;  // 8 or 20 bytes
  bool LongScramble = false;
  int CommandState = csReady;
  int64_t AffectedRows = 0;
  int64_t InsertId = 0;
  uint16_t Warnings = 0;
  int FieldCount = 0;  // columns of the last response (0 for an OK report)
  bool Closed = false;

 private:
  void ReadGreeting();
  void SendLogin(const std::string& user, const std::string& password, const std::string& database);
  void Authenticate(const std::string& password);
  void ReadOk(std::string_view packet);
  void ReadColumnDefinitions(uint64_t count);
  void ReadEndOfData(std::string_view packet);
  TMySqlFieldInfo ParseColumn(std::string_view packet) const;

  TMySqlNet FNet;
  std::vector<TMySqlFieldInfo> FPendingFields;
  TMySqlResultSet* FActiveResult = nullptr;
};
