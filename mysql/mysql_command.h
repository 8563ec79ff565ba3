// TMySQLCommand: runs the cursor's statement on a connection's session and
// finds the first result that has columns. Raises EMyError (see
// TMySQLConnection).
// Borrows the connection; one thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "mysql/result_set.h"

class TMySQLConnection;

class TMySQLCommand {
 public:
  explicit TMySQLCommand(TMySQLConnection& connection) : FConnection(connection) {}

  // The first result that has columns, its rows not read yet, or null when
  // the statement returned none. `timeout` in seconds, 0 meaning a year.
  std::unique_ptr<TMySqlResultSet> Execute(const std::string& text, int32_t timeout);
  // Affected-row count of the last run.
  int64_t RowsAffected() const { return FRowsAffected; }

 private:
  TMySQLConnection& FConnection;
  int64_t FRowsAffected = -1;
};
