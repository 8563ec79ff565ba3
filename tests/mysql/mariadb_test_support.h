// Helpers for the tests that run against the private MariaDB: connections
// with the fixture's accounts and a scratch database of their own.
#pragma once

#include <string>

#include "mysql/my_connection.h"
#include "mysql/my_query.h"

namespace mysqltest {

constexpr const char* kScratchDb = "halvex_mysql_test";

// Points `connection` at the private server with the given account and the
// Windows-1251 character set, without connecting.
void Configure(TMyConnection& connection, const std::string& user = "root",
               const std::string& password = "quietlamp", const std::string& database = kScratchDb);

// Creates the scratch database when it does not exist (as root).
void EnsureScratchDb();

// Runs each statement on `connection` through a query of its own.
void Run(TMyConnection& connection, const std::string& statement);

}  // namespace mysqltest
