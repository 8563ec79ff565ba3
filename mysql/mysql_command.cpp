// Running a statement and walking its results.
#include "mysql/mysql_command.h"

#include "mysql/mysql_api.h"
#include "mysql/mysql_connection.h"

namespace {

constexpr int32_t kNoTimeout = 31536000;  // a year, in seconds

}  // namespace

void TMySQLCommand::Send(const std::string& text, int32_t timeout) {
  TMySQLAPIDirect& api = FConnection.Engine();
  TMySqlSession& session = FConnection.Session();
  int32_t seconds = timeout == 0 ? kNoTimeout : timeout;
  api.mysql_options(session, MYSQL_OPT_READ_TIMEOUT, seconds);
  api.mysql_options(session, MYSQL_OPT_WRITE_TIMEOUT, seconds);
  FConnection.Check(api.mysql_real_query(session, text.data(), text.size()));
  FRowsAffected = api.mysql_affected_rows(session);
}

void TMySQLCommand::ExecuteDiscarding(const std::string& text, int32_t timeout) {
  Send(text, timeout);
  TMySQLAPIDirect& api = FConnection.Engine();
  TMySqlSession& session = FConnection.Session();
  api.mysql_free_result(api.mysql_use_result(session));
  while (true) {
    int rc = api.mysql_next_result(session);
    if (rc > 0) FConnection.RaiseLastError();
    if (rc != 0) break;
    api.mysql_free_result(api.mysql_use_result(session));
  }
}

std::unique_ptr<TMySqlResultSet> TMySQLCommand::ExecuteWanted(const std::string& text,
                                                              int32_t timeout) {
  Send(text, timeout);
  TMySQLAPIDirect& api = FConnection.Engine();
  TMySqlSession& session = FConnection.Session();
  std::unique_ptr<TMySqlResultSet> result = api.mysql_use_result(session);
  if (!result && api.mysql_errno(session) != 0) FConnection.RaiseLastError();
  while (!result && api.mysql_more_results(session)) {
    int rc = api.mysql_next_result(session);
    if (rc > 0) FConnection.RaiseLastError();
    if (rc != 0) break;
    result = api.mysql_use_result(session);
    if (!result && api.mysql_errno(session) != 0) FConnection.RaiseLastError();
  }
  return result;
}
