// TPrivateMariaDb: a MariaDB that a test or a benchmark starts for itself
// (scripts/mariadb start --dir), to stop it part way, to give it settings
// of its own or to fill it with data of its own. The folder is the
// caller's; the server runs from start to Stop() or the destructor.
#pragma once

#include <string>
#include <vector>

namespace testsupport {

class TPrivateMariaDb {
 public:
  // Starts a server in `dir` (reusing one already running there) with the
  // script's further `options`, e.g. {"--buffer-pool", "1G"}. Raises
  // std::runtime_error with the script's output when it fails.
  explicit TPrivateMariaDb(std::string dir, const std::vector<std::string>& options = {});
  // Stops the server unless Stop() or KeepRunning() came first.
  ~TPrivateMariaDb();
  TPrivateMariaDb(const TPrivateMariaDb&) = delete;
  TPrivateMariaDb& operator=(const TPrivateMariaDb&) = delete;

  int Port() const { return FPort; }
  // Recreates database `db` and runs the SQL file in it, as LoadSqlFile.
  void Load(const std::string& file, const std::string& db,
            const std::string& charset = "cp1251") const;
  // Returns once the server has ended; raises as the constructor.
  void Stop();
  // Leaves the server running after the destructor, for a later run.
  void KeepRunning() { FRunning = false; }

 private:
  void Script(const std::string& arguments) const;

  std::string FDir;
  int FPort = 0;
  bool FRunning = false;
};

}  // namespace testsupport
