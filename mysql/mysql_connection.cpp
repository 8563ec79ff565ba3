// Opening and closing the protocol session of a connection, and the
// statement steps over the engine.
#include "mysql/mysql_connection.h"

#include <cctype>

#include "mysql/db_errors.h"
#include "mysql/mysql_api.h"
#include "platform/numbers.h"
#include "platform/text_case.h"
#include "platform/text_codec.h"

namespace {

constexpr uint32_t kRequestedFlags = CLIENT_FOUND_ROWS | CLIENT_MULTI_STATEMENTS;
constexpr int32_t kNoTimeout = 31536000;  // a year, in seconds

std::string DigitRun(const std::string& text, size_t from) {
  size_t end = from;
  while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
  return from < text.size() ? text.substr(from, end - from) : std::string();
}

}  // namespace

// A packet out of order (1156), refused as too long (2020) or unreadable
// (2027) leaves the rest of the server's answer unread: the session cannot
// be kept in step, so it is dropped like a lost one.
bool IsFatalError(int code) {
  return code == 1053 || code == 1156 || code == 2003 || code == 2006 || code == 2013 ||
         code == 2020 || code == 2027;
}

TMySQLConnection::TMySQLConnection() : FEngine(TMySQLAPIDirect::Engine()) {}

TMySQLConnection::~TMySQLConnection() { Disconnect(); }

void TMySQLConnection::Connect(const TMySQLConnectSettings& settings) {
  if (FSession) return;
  FSession = FEngine.mysql_init();
  try {
    FEngine.mysql_options(*FSession, MYSQL_OPT_CONNECT_TIMEOUT, settings.ConnectionTimeout);
    bool utf8 = settings.UseUnicode || platform::SameText(settings.Charset, "utf8");
    std::string user = settings.Username, password = settings.Password;
    if (utf8) {
      FEngine.mysql_options(*FSession, MYSQL_SET_CHARSET_NAME, 0, "utf8");
      user = platform::Cp1251ToUtf8(user);
      password = platform::Cp1251ToUtf8(password);
    }
    std::string host = settings.Server.substr(0, settings.Server.find(','));
    if (host.empty()) host = "localhost";
    if (!FEngine.mysql_real_connect(*FSession, host, user, password, settings.Database,
                                    settings.Port, std::string(), kRequestedFlags)) {
      RaiseLastError();
    }
    FServerVersion = FEngine.mysql_get_server_info(*FSession);
    ParseServerVersion();
    SendCharsetStatement(settings);
  } catch (...) {
    Disconnect();
    throw;
  }
}

// Only servers of 4.1 or newer know the statement; every result is dropped.
void TMySQLConnection::SendCharsetStatement(const TMySQLConnectSettings& settings) {
  bool at_least_41 = FMajor > 4 || (FMajor == 4 && FMinor >= 1);
  if (!at_least_41) return;
  std::string statement;
  if (settings.UseUnicode) {
    statement = "SET NAMES utf8";
  } else if (!settings.Charset.empty()) {
    statement = "SET NAMES " + settings.Charset;
  }
  if (statement.empty()) return;
  Query(statement, settings.ConnectionTimeout);
  FreeResult(UseResult());
  SkipFurtherResults();
}

void TMySQLConnection::ParseServerVersion() {
  const std::string& v = FServerVersion;
  size_t dot = v.find('.');
  if (dot == std::string::npos) platform::TextToInt("");  // raises: no major number
  FMajor = platform::TextToInt(v.substr(0, dot));
  std::string minor = DigitRun(v, dot + 1);
  FMinor = platform::TextToInt(minor);
  platform::TextToInt(DigitRun(v, dot + 1 + minor.size() + 1));  // raises: no release number
}

void TMySQLConnection::Disconnect() {
  if (FSession) FEngine.mysql_close(std::move(FSession));
  FSession.reset();
}

void TMySQLConnection::SelectDatabase(const std::string& database) {
  Check(FEngine.mysql_select_db(*FSession, database));
}

int64_t TMySQLConnection::Query(const std::string& text, int32_t timeout) {
  int32_t seconds = timeout == 0 ? kNoTimeout : timeout;
  FEngine.mysql_options(*FSession, MYSQL_OPT_READ_TIMEOUT, seconds);
  FEngine.mysql_options(*FSession, MYSQL_OPT_WRITE_TIMEOUT, seconds);
  Check(FEngine.mysql_real_query(*FSession, text.data(), text.size()));
  return FEngine.mysql_affected_rows(*FSession);
}

std::unique_ptr<TMySqlResultSet> TMySQLConnection::UseResult() {
  std::unique_ptr<TMySqlResultSet> result = FEngine.mysql_use_result(*FSession);
  if (!result && FEngine.mysql_errno(*FSession) != 0) RaiseLastError();
  return result;
}

const TMySqlBinds* TMySQLConnection::FetchRow(TMySqlResultSet& result) {
  const TMySqlBinds* row = FEngine.mysql_fetch_row(result);
  if (!row && FEngine.mysql_errno(*FSession) != 0) RaiseLastError();
  return row;
}

void TMySQLConnection::FreeResult(std::unique_ptr<TMySqlResultSet> result) {
  FEngine.mysql_free_result(std::move(result));
}

bool TMySQLConnection::NextResult() {
  if (!FEngine.mysql_more_results(*FSession)) return false;
  int rc = FEngine.mysql_next_result(*FSession);
  if (rc > 0) RaiseLastError();
  return rc == 0;
}

void TMySQLConnection::SkipFurtherResults() {
  while (NextResult()) FreeResult(UseResult());
}

void TMySQLConnection::RaiseLastError() {
  int code = FEngine.mysql_errno(*FSession);
  std::string message = FEngine.mysql_error(*FSession);
  if (IsFatalError(code)) Disconnect();
  throw EMyError(code, message);
}
