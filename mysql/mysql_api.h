// TMySQLAPIDirect: the protocol engine, offering the operations of the
// MySQL C client API over TMySqlSession. No operation raises: each catches
// the EMySqlException of the session or result below it, keeps its code and
// message as the session's last error (mysql_errno, mysql_error) and
// returns an error result. This is the one place where that exception
// becomes an error code; TMySQLConnection turns the code into EMyError.
//
// One process-wide instance (Engine()) that holds no state of its own; a
// session and its results belong to one thread at a time, and sessions on
// different threads share nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "mysql/my_session.h"
#include "mysql/result_set.h"

enum TMySqlOption {
  MYSQL_OPT_CONNECT_TIMEOUT = 0,
  MYSQL_SET_CHARSET_NAME = 7,
  MYSQL_OPT_READ_TIMEOUT = 11,
  MYSQL_OPT_WRITE_TIMEOUT = 12,
};

class TMySQLAPIDirect {
 public:
  static TMySQLAPIDirect& Engine();

  std::unique_ptr<TMySqlSession> mysql_init();
  // Numbers 0, 11 and 12 take `int_value`, 7 takes `text_value`; others
  // concern transports not built here. Returns 0.
  int mysql_options(TMySqlSession& session, int option, int int_value,
                    const std::string& text_value = std::string());
  // The session on success, null on failure (last error set).
  TMySqlSession* mysql_real_connect(TMySqlSession& session, const std::string& host,
                                    const std::string& user, const std::string& password,
                                    const std::string& database, int port,
                                    const std::string& unix_socket, uint32_t client_flags);
  std::string mysql_get_server_info(const TMySqlSession& session) const;
  int mysql_real_query(TMySqlSession& session, const char* query, size_t length);
  int64_t mysql_affected_rows(const TMySqlSession& session) const;
  int mysql_field_count(const TMySqlSession& session) const;
  // Null when the last response had no columns, or on error (last error set).
  std::unique_ptr<TMySqlResultSet> mysql_use_result(TMySqlSession& session);
  int mysql_num_fields(const TMySqlResultSet& result) const;
  const TMYSQL_FIELD& mysql_fetch_field_direct(const TMySqlResultSet& result, int index) const;
  // Null at the end of the rows or on error (then mysql_errno is not 0 and
  // the command state is back to ready unless a further result is
  // announced).
  const TMySqlBinds* mysql_fetch_row(TMySqlResultSet& result);
  // Skips unread rows and frees the result; never fails.
  void mysql_free_result(std::unique_ptr<TMySqlResultSet> result);
  bool mysql_more_results(const TMySqlSession& session) const;
  int mysql_next_result(TMySqlSession& session);
  int mysql_select_db(TMySqlSession& session, const std::string& database);
  int mysql_errno(const TMySqlSession& session) const;
  std::string mysql_error(const TMySqlSession& session) const;
  // Quit command if possible, transport closed, session freed; never fails.
  void mysql_close(std::unique_ptr<TMySqlSession> session);

 private:
  TMySQLAPIDirect() = default;
};
