// Helpers of the end-to-end tests of halvex-export-cli: a scratch folder,
// the platform stand-in on a free loopback port, the console runner as a
// child process, and readers for its log file and the stand-in's journal.
// Everything belongs to the test that made it and is used on its thread.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace clitest {

// A fresh folder under the system's temporary folder, removed with the object.
class TScratchDir {
 public:
  TScratchDir();
  ~TScratchDir();
  TScratchDir(const TScratchDir&) = delete;
  TScratchDir& operator=(const TScratchDir&) = delete;
  const std::string& Path() const { return FPath; }
  std::string operator/(const std::string& name) const { return FPath + "/" + name; }

 private:
  std::string FPath;
};

// tools/marivon_standin.py serving a state file in its own scratch folder.
// `extra_args` are passed to "serve" (fault options, for instance). Stopped
// (SIGTERM, then waited for) by Stop() or the destructor.
class TStandIn {
 public:
  explicit TStandIn(const std::vector<std::string>& extra_args = {});
  ~TStandIn();
  TStandIn(const TStandIn&) = delete;
  TStandIn& operator=(const TStandIn&) = delete;

  int Port() const { return FPort; }
  // "http://127.0.0.1:PORT" without the trailing "/".
  std::string Url() const;
  const std::string& StateFile() const { return FState; }
  void Stop();
  // SIGSTOP / SIGCONT: while paused the stand-in reads and answers nothing;
  // requests wait in the kernel. Stop() ends a paused stand-in too.
  void Pause() const;
  void Resume() const;
  // Adds fault options to the running stand-in ("marivon_standin.py fail").
  void Fail(const std::vector<std::string>& fault_args) const;

  // One line per platform request received: "METHOD TARGET BODY", the body
  // as UTF-8 text, or "base64:..." when it is not UTF-8 or holds a line break.
  std::vector<std::string> Journal() const;
  // The same lines for the requests the platform carried out, searches left out.
  std::vector<std::string> Accepted() const;
  // The state file as the stand-in prints it (JSON text).
  std::string State() const;

 private:
  TScratchDir FDir;
  std::string FState;
  pid_t FPid = -1;
  int FPort = 0;
};

// A finished run of the console runner.
struct TCliResult {
  int ExitStatus = -1;  // -1 when killed after the time limit or by a signal
  std::string Stdout;
  std::string Stderr;
};

// halvex-export-cli started with `args` in the folder `cwd` (the fixtures
// folder by default, where the sample's route maps lie). Without
// --log-dir/--db-port in `args` nothing is added: pass what the test needs.
class TCliProcess {
 public:
  TCliProcess(const std::vector<std::string>& args, const std::string& cwd = FixturesDir());
  ~TCliProcess();  // kills a child still running
  TCliProcess(const TCliProcess&) = delete;
  TCliProcess& operator=(const TCliProcess&) = delete;

  // Waits until standard output contains `text` (UTF-8); false on time-out
  // or when the child ended first.
  bool WaitForOutput(const std::string& text, int timeout_ms = 30000);
  void Interrupt() const;  // SIGINT, as Ctrl-C
  void Terminate() const;  // SIGTERM
  // Waits for the end (killing the child after `timeout_ms`) and collects
  // its output.
  TCliResult Wait(int timeout_ms = 60000);
  std::string StdoutSoFar() const;

  static std::string FixturesDir();

 private:
  TScratchDir FDir;
  pid_t FPid = -1;
};

// Runs the console runner to its end.
TCliResult RunCli(const std::vector<std::string>& args,
                  const std::string& cwd = TCliProcess::FixturesDir());

// Runs `argv` (a program with its arguments, e.g. a shell or setpriv that
// prepares the process before it starts the runner) to its end in `cwd`;
// killed after `timeout_ms`.
TCliResult RunCommand(const std::vector<std::string>& argv, const std::string& cwd,
                      int timeout_ms = 60000);

// The options that point a run at the private MariaDB (database `db`), the
// stand-in and a log folder.
std::vector<std::string> RunArgs(const TStandIn& target, const std::string& log_dir,
                                 const std::string& db = "velmora");

// The single run log file in `dir`: its header and its entries with the
// stamps taken off, converted to UTF-8. Fails the test (ADD_FAILURE) and
// gives no entries when there is not exactly one log file or a stamp is
// malformed.
struct TLogFile {
  std::string Header;
  std::vector<std::string> Entries;
};
TLogFile ReadLogFile(const std::string& dir);
// The single run log file in `dir` (ADD_FAILURE and empty when not exactly one).
std::string LogFileIn(const std::string& dir);
// The log file `file` read as ReadLogFile reads it.
TLogFile ReadLogFileAt(const std::string& file);

// Each line followed by "\n": what standard output holds for these report lines.
std::string JoinLines(const std::vector<std::string>& lines);

// The entries of the single run log file in `dir` (ReadLogFile), once the
// test has checked (EXPECT) that `result` printed exactly those lines on
// standard output, as every console run does.
std::vector<std::string> EntriesAlsoPrinted(const TCliResult& result, const std::string& dir);

// A copy of the sample database in database `db` with `extra_sql` run after
// it (UPDATE statements, for instance).
void LoadSampleVariant(const std::string& db, const std::string& extra_sql);

std::string ReadFile(const std::string& path);

// `args` followed by `more` (a later option overrides an earlier one).
std::vector<std::string> With(std::vector<std::string> args, const std::vector<std::string>& more);

// The bodies of the journal lines of requests to `path` ("restapi/..."), in order.
std::vector<std::string> BodiesTo(const std::vector<std::string>& journal, const std::string& path);

// The 49 "#" rule of the summary.
inline const std::string kRule(49, '#');

// A run's lines from the first summary rule on.
std::vector<std::string> SummaryOf(const std::vector<std::string>& entries);

// The summary lines a run writes for these figures and warnings (UTF-8).
std::vector<std::string> Summary(int total, int exported, const std::string& failed,
                                 const std::vector<std::string>& warnings);

// The warnings of the pre-export checks for the whole sample, in order.
extern const std::vector<std::string> kSampleWarnings;

}  // namespace clitest
