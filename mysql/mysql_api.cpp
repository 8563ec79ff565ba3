// The C API operations of the engine.
#include "mysql/mysql_api.h"

#include "mysql/client_errors.h"

using mysql_client::EMySqlException;

namespace {

// Runs `body`, turning a raised EMySqlException into the session's last
// error; returns 0 or that error's code.
template <typename F>
int Guarded(TMySqlSession& session, F&& body) {
  try {
    session.SetError(0, std::string());
    body();
    return 0;
  } catch (const EMySqlException& e) {
    session.SetError(e.Code(), e.what());
    return e.Code() != 0 ? e.Code() : mysql_client::CR_UNKNOWN_ERROR;
  }
}

}  // namespace

TMySQLAPIDirect& TMySQLAPIDirect::Engine() {
  static TMySQLAPIDirect engine;
  return engine;
}

std::unique_ptr<TMySqlSession> TMySQLAPIDirect::mysql_init() {
  return std::make_unique<TMySqlSession>();
}

int TMySQLAPIDirect::mysql_options(TMySqlSession& session, int option, int int_value,
                                   const std::string& text_value) {
  switch (option) {
    case MYSQL_OPT_CONNECT_TIMEOUT:
      session.ConnectTimeout = int_value;
      break;
    case MYSQL_SET_CHARSET_NAME:
      session.CharsetOption = text_value;
      break;
    case MYSQL_OPT_READ_TIMEOUT:
    case MYSQL_OPT_WRITE_TIMEOUT:
      session.ReadTimeout = int_value;
      break;
    default:
      break;
  }
  return 0;
}

TMySqlSession* TMySQLAPIDirect::mysql_real_connect(TMySqlSession& session, const std::string& host,
                                                   const std::string& user,
                                                   const std::string& password,
                                                   const std::string& database, int port,
                                                   const std::string& /*unix_socket*/,
                                                   uint32_t client_flags) {
  int rc = Guarded(session,
                   [&] { session.Connect(host, user, password, database, port, client_flags); });
  return rc == 0 ? &session : nullptr;
}

std::string TMySQLAPIDirect::mysql_get_server_info(const TMySqlSession& session) const {
  return session.ServerVersion;
}

int TMySQLAPIDirect::mysql_real_query(TMySqlSession& session, const char* query, size_t length) {
  return Guarded(session, [&] {
    session.StartCommand(COM_QUERY, std::string_view(query, length));
    session.ReadResponseHeader();
  });
}

int64_t TMySQLAPIDirect::mysql_affected_rows(const TMySqlSession& session) const {
  return session.AffectedRows;
}

int TMySQLAPIDirect::mysql_field_count(const TMySqlSession& session) const {
  return session.FieldCount;
}

std::unique_ptr<TMySqlResultSet> TMySQLAPIDirect::mysql_use_result(TMySqlSession& session) {
  std::unique_ptr<TMySqlResultSet> result;
  Guarded(session, [&] { result = session.UseResult(); });
  return result;
}

int TMySQLAPIDirect::mysql_num_fields(const TMySqlResultSet& result) const {
  return result.FieldCount();
}

const TMYSQL_FIELD& TMySQLAPIDirect::mysql_fetch_field_direct(const TMySqlResultSet& result,
                                                              int index) const {
  return result.Field(index);
}

// Not Guarded: the last error is left as it is while rows arrive, which
// saves clearing it once a row.
const TMySqlBinds* TMySQLAPIDirect::mysql_fetch_row(TMySqlResultSet& result) {
  try {
    return result.FetchRow();
  } catch (const EMySqlException& e) {
    TMySqlSession& session = *result.Session();
    session.SetError(e.Code(), e.what());
    if (!session.MoreResults()) session.CommandState = csReady;
    return nullptr;
  }
}

void TMySQLAPIDirect::mysql_free_result(std::unique_ptr<TMySqlResultSet> result) {
  if (!result || !result->Session()) return;
  try {
    while (result->FetchRow()) {
    }
  } catch (const EMySqlException&) {
    // Errors while skipping do not count.
  }
  result->Session()->CommandState = csReady;
}

bool TMySQLAPIDirect::mysql_more_results(const TMySqlSession& session) const {
  return session.MoreResults();
}

int TMySQLAPIDirect::mysql_next_result(TMySqlSession& session) {
  int next = 0;
  int rc = Guarded(session, [&] { next = session.NextResult(); });
  return rc != 0 ? rc : next;
}

int TMySQLAPIDirect::mysql_select_db(TMySqlSession& session, const std::string& database) {
  return Guarded(session, [&] {
    session.StartCommand(COM_INIT_DB, database);
    session.ReadResponseHeader();
    session.Database = database;
  });
}

int TMySQLAPIDirect::mysql_errno(const TMySqlSession& session) const { return session.LastErrno; }

std::string TMySQLAPIDirect::mysql_error(const TMySqlSession& session) const {
  return session.LastError;
}

void TMySQLAPIDirect::mysql_close(std::unique_ptr<TMySqlSession> session) {
  if (session) session->Close();
}
