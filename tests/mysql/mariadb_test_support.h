// Helpers for the tests that run against the private MariaDB: connections
// with the fixture's accounts and a scratch database per test process.
#pragma once

#include <string>

#include "mysql/my_connection.h"
#include "mysql/my_query.h"

namespace mysqltest {

// The scratch database of this test process (its name carries the process
// id, so test programs run side by side do not share tables).
const std::string& ScratchDb();

// Points `connection` at the private server with the given account and the
// Windows-1251 character set, without connecting.
void Configure(TMyConnection& connection, const std::string& user = "root",
               const std::string& password = "quietlamp",
               const std::string& database = ScratchDb());

// Creates the scratch database when it does not exist (as root).
void EnsureScratchDb();

// Runs each statement on `connection` through a query of its own.
void Run(TMyConnection& connection, const std::string& statement);

}  // namespace mysqltest
