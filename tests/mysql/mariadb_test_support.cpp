// Connections to the private MariaDB for the tests.
#include "tests/mysql/mariadb_test_support.h"

#include <unistd.h>

#include "tests/support/mariadb_env.h"

namespace mysqltest {

const std::string& ScratchDb() {
  static const std::string name = "halvex_mysql_test_" + std::to_string(::getpid());
  return name;
}

void Configure(TMyConnection& connection, const std::string& user, const std::string& password,
               const std::string& database) {
  testsupport::TMariaDbEnv env = testsupport::MariaDbEnv();
  connection.SetServer(env.Host);
  connection.SetPort(env.Port);
  connection.SetUsername(user);
  connection.SetPassword(password);
  connection.SetDatabase(database);
  connection.Options().SetCharset("cp1251");
}

void EnsureScratchDb() {
  TMyConnection connection;
  Configure(connection, "root", "quietlamp", "");
  Run(connection, "CREATE DATABASE IF NOT EXISTS " + ScratchDb() + " CHARACTER SET utf8mb4");
}

void Run(TMyConnection& connection, const std::string& statement) {
  TMyQuery query;
  query.SetConnection(&connection);
  query.SQL.SetText(statement);
  query.Execute();
}

}  // namespace mysqltest
