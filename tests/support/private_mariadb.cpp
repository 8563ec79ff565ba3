// Starting, filling and stopping a MariaDB of a test's or benchmark's own.
#include "tests/support/private_mariadb.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "tests/support/mariadb_env.h"

namespace testsupport {

TPrivateMariaDb::TPrivateMariaDb(std::string dir, const std::vector<std::string>& options)
    : FDir(std::move(dir)) {
  std::string start = "start --dir " + ShellQuoted(FDir);
  for (const std::string& option : options) start += " " + ShellQuoted(option);
  Script(start);
  FRunning = true;
  FPort = MariaDbEnv(FDir + "/env").Port;
}

TPrivateMariaDb::~TPrivateMariaDb() {
  try {
    Stop();
  } catch (const std::exception&) {
    // A server that will not stop is the script's to report; nothing here may raise.
  }
}

void TPrivateMariaDb::Load(const std::string& file, const std::string& db,
                           const std::string& charset) const {
  LoadSqlFile(file, db, charset, FDir);
}

void TPrivateMariaDb::Stop() {
  if (!FRunning) return;
  FRunning = false;
  Script("stop --dir " + ShellQuoted(FDir));
}

void TPrivateMariaDb::Script(const std::string& arguments) const {
  const std::string log = FDir + ".script.log";
  const std::string line =
      ShellQuoted(HALVEX_MARIADB_SCRIPT) + " " + arguments + " >" + ShellQuoted(log) + " 2>&1";
  const int status = std::system(line.c_str());
  std::ifstream in(log);
  std::ostringstream output;
  output << in.rdbuf();
  in.close();
  std::remove(log.c_str());
  if (status != 0) {
    throw std::runtime_error("scripts/mariadb " + arguments + " failed: " + output.str());
  }
}

}  // namespace testsupport
