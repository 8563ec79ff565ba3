// Running the cursor's statement.
#include "mysql/mysql_command.h"

#include "mysql/mysql_connection.h"

std::unique_ptr<TMySqlResultSet> TMySQLCommand::Execute(const std::string& text, int32_t timeout) {
  FRowsAffected = FConnection.Query(text, timeout);
  std::unique_ptr<TMySqlResultSet> result = FConnection.UseResult();
  while (!result && FConnection.NextResult()) result = FConnection.UseResult();
  return result;
}
