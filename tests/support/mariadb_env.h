// The address of the private MariaDB that scripts/mariadb started for the
// test run (the `mariadb` CTest fixture), read from its env file: the file
// named by the environment variable HALVEX_MARIADB_ENV, else the build's
// own mariadb/env. Accounts: root / "quietlamp", halvex_empty (no password),
// halvex_old / "oldpass" (pre-4.1 hash).
#pragma once

#include <string>

namespace testsupport {

struct TMariaDbEnv {
  std::string Host;  // always 127.0.0.1
  int Port = 0;
  std::string Socket;
  std::string Dir;
};

// Raises std::runtime_error naming the file when it is missing or lacks a
// port, so a test that needs the server fails instead of passing unseen.
TMariaDbEnv MariaDbEnv();
// The same for the env file at `path` (a server started in a folder of
// one's own: its folder + "/env").
TMariaDbEnv MariaDbEnv(const std::string& path);

// `text` in single quotes for the shell.
std::string ShellQuoted(const std::string& text);

// Recreates database `db` and runs the SQL file in it (Windows-1251 unless
// `charset` says otherwise), on the fixture's server or on the one started
// in `dir`. Raises std::runtime_error on failure.
void LoadSqlFile(const std::string& file, const std::string& db,
                 const std::string& charset = "cp1251", const std::string& dir = "");

}  // namespace testsupport
