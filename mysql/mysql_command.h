// TMySQLCommand: runs one final statement text on a connection's session,
// either wanting its result (the cursor's statement) or discarding every
// result (the character-set statement). Raises EMyError.
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

  // The first result that has columns, or null when the statement
  // returned none. `timeout` in seconds, 0 meaning a year.
  std::unique_ptr<TMySqlResultSet> ExecuteWanted(const std::string& text, int32_t timeout);
  void ExecuteDiscarding(const std::string& text, int32_t timeout);
  // Affected-row count of the last run.
  int64_t RowsAffected() const { return FRowsAffected; }

 private:
  void Send(const std::string& text, int32_t timeout);
  TMySQLConnection& FConnection;
  int64_t FRowsAffected = -1;
};
