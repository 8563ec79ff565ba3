// TMyConnection: settings, Connect and Disconnect over TMySQLConnection.
#include "mysql/my_connection.h"

#include "mysql/db_errors.h"
#include "mysql/mysql_connection.h"

void TMyConnectionOptions::SetCharset(const std::string& charset) {
  if (FOwner.Connected()) {
    throw EDatabaseError("Cannot perform this operation on an open connection");
  }
  FCharset = charset;
}

TMyConnection::TMyConnection() = default;

TMyConnection::~TMyConnection() { Disconnect(); }

TMySQLConnection& TMyConnection::Internal() {
  if (!FInternal) FInternal = std::make_unique<TMySQLConnection>();
  return *FInternal;
}

void TMyConnection::SetServer(const std::string& value) {
  if (value != FServer) Disconnect();
  FServer = value;
}

void TMyConnection::SetPort(int32_t value) {
  if (value != FPort) Disconnect();
  FPort = value;
}

void TMyConnection::SetUsername(const std::string& value) {
  if (value != FUsername) Disconnect();
  FUsername = value;
}

void TMyConnection::SetPassword(const std::string& value) {
  if (value != FPassword) Disconnect();
  FPassword = value;
}

void TMyConnection::SetDatabase(const std::string& value) {
  bool changed = value != FDatabase;
  FDatabase = value;
  if (changed && Connected() && !value.empty()) FInternal->SelectDatabase(value);
}

void TMyConnection::Connect() {
  if (Connected()) return;
  TMySQLConnectSettings settings;
  settings.Database = FDatabase;
  settings.ConnectionTimeout = FConnectionTimeout;
  settings.UseUnicode = FOptions.UseUnicode();
  settings.Charset = FOptions.Charset();
  settings.Port = FPort;
  settings.Username = FUsername;
  settings.Password = FPassword;
  settings.Server = FServer;
  Internal().Connect(settings);
}

void TMyConnection::Disconnect() {
  if (FInternal) FInternal->Disconnect();
}

bool TMyConnection::Connected() const { return FInternal && FInternal->Connected(); }

std::string TMyConnection::ServerVersion() const {
  return Connected() ? FInternal->ServerVersion() : std::string();
}
