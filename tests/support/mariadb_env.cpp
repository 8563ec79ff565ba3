// Reading the private MariaDB's env file and loading SQL files into it.
#include "tests/support/mariadb_env.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace testsupport {

namespace {

std::string EnvFilePath() {
  const char* path = std::getenv("HALVEX_MARIADB_ENV");
  return path && *path ? path : HALVEX_MARIADB_ENV_FILE;
}

}  // namespace

std::string ShellQuoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

TMariaDbEnv MariaDbEnv() { return MariaDbEnv(EnvFilePath()); }

TMariaDbEnv MariaDbEnv(const std::string& path) {
  std::ifstream in(path);
  if (!in) {
    throw std::runtime_error("private MariaDB not running: " + path +
                             " is missing (run the tests through ctest, or scripts/mariadb start)");
  }
  TMariaDbEnv env;
  std::string line;
  while (std::getline(in, line)) {
    size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string key = line.substr(0, eq), value = line.substr(eq + 1);
    if (key == "MARIADB_HOST") env.Host = value;
    if (key == "MARIADB_PORT") env.Port = std::atoi(value.c_str());
    if (key == "MARIADB_SOCKET") env.Socket = value;
    if (key == "MARIADB_DIR") env.Dir = value;
  }
  if (env.Port <= 0 || env.Host.empty()) throw std::runtime_error(path + " names no host and port");
  return env;
}

void LoadSqlFile(const std::string& file, const std::string& db, const std::string& charset,
                 const std::string& dir) {
  const std::string server_dir = dir.empty() ? MariaDbEnv().Dir : dir;
  std::string command = ShellQuoted(HALVEX_MARIADB_SCRIPT) + " load " + ShellQuoted(file) + " " +
                        ShellQuoted(db) + " --dir " + ShellQuoted(server_dir) + " --charset " +
                        ShellQuoted(charset);
  if (std::system(command.c_str()) != 0) {
    throw std::runtime_error("loading " + file + " into " + db + " failed");
  }
}

}  // namespace testsupport
