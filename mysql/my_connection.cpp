// TMyConnection (first cut: settings only; the protocol session follows).
#include "mysql/my_connection.h"

#include "mysql/db_errors.h"

class TMySQLConnection {};

void TMyConnectionOptions::SetCharset(const std::string& charset) {
  if (FOwner.Connected()) {
    throw EDatabaseError("Cannot perform this operation on an open connection");
  }
  FCharset = charset;
}

TMyConnection::TMyConnection() = default;
TMyConnection::~TMyConnection() = default;

void TMyConnection::SetServer(const std::string& value) { FServer = value; }
void TMyConnection::SetPort(int32_t value) { FPort = value; }
void TMyConnection::SetUsername(const std::string& value) { FUsername = value; }
void TMyConnection::SetPassword(const std::string& value) { FPassword = value; }
void TMyConnection::SetDatabase(const std::string& value) { FDatabase = value; }
void TMyConnection::Connect() {
  throw EMyError(2003, "Can't connect to MySQL server on '" + FServer + "' (10061)");
}
void TMyConnection::Disconnect() {}
bool TMyConnection::Connected() const { return false; }
std::string TMyConnection::ServerVersion() const { return std::string(); }
TMySQLConnection& TMyConnection::Internal() {
  if (!FInternal) FInternal = std::make_unique<TMySQLConnection>();
  return *FInternal;
}
