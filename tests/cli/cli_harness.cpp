// The end-to-end helpers: scratch folders, the stand-in, the runner process,
// the log file and the journal.
#include "tests/cli/cli_harness.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "platform/text_codec.h"
#include "tests/support/mariadb_env.h"

namespace clitest {

namespace {

using Clock = std::chrono::steady_clock;

// Starts `argv` with standard output and error in the given files (or
// inherited when empty), in folder `cwd`.
pid_t Spawn(const std::vector<std::string>& argv, const std::string& cwd,
            const std::string& out_file, const std::string& err_file) {
  std::vector<char*> raw;
  for (const std::string& a : argv) raw.push_back(const_cast<char*>(a.c_str()));
  raw.push_back(nullptr);
  pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    if (!cwd.empty() && ::chdir(cwd.c_str()) != 0) ::_exit(126);
    auto redirect = [](const std::string& file, int fd) {
      if (file.empty()) return;
      int f = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (f < 0) ::_exit(126);
      ::dup2(f, fd);
      ::close(f);
    };
    redirect(out_file, 1);
    redirect(err_file, 2);
    ::execv(raw[0], raw.data());
    ::_exit(127);
  }
  return pid;
}

// Waits for the child for at most `timeout_ms`; kills it after that.
int WaitChild(pid_t pid, int timeout_ms) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  int status = 0;
  while (true) {
    pid_t r = ::waitpid(pid, &status, WNOHANG);
    if (r == pid) break;
    if (r < 0) return -1;
    if (Clock::now() >= deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      ADD_FAILURE() << "child " << pid << " killed after " << timeout_ms << " ms";
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs a short helper command and returns its standard output.
std::string Capture(const std::vector<std::string>& argv) {
  TScratchDir dir;
  pid_t pid = Spawn(argv, "", dir / "out", dir / "err");
  if (WaitChild(pid, 30000) != 0) {
    ADD_FAILURE() << argv[1] << " " << argv[2] << " failed: " << ReadFile(dir / "err");
  }
  return ReadFile(dir / "out");
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

TScratchDir::TScratchDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "halvex_cli_XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  FPath = pattern;
}

TScratchDir::~TScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(FPath, ignored);
}

TStandIn::TStandIn(const std::vector<std::string>& extra_args) : FState(FDir / "state.json") {
  const std::string port_file = FDir / "port";
  std::vector<std::string> argv = {
      "/usr/bin/python3", HALVEX_STANDIN, "serve", "--state", FState, "--port", "0",
      "--port-file",      port_file};
  argv.insert(argv.end(), extra_args.begin(), extra_args.end());
  FPid = Spawn(argv, "", FDir / "stdout", FDir / "stderr");
  const auto deadline = Clock::now() + std::chrono::seconds(20);
  while (FPort == 0) {
    FPort = std::atoi(ReadFile(port_file).c_str());
    if (FPort != 0) break;
    if (Clock::now() >= deadline || ::waitpid(FPid, nullptr, WNOHANG) == FPid) {
      ::kill(FPid, SIGKILL);
      ::waitpid(FPid, nullptr, 0);
      throw std::runtime_error("the stand-in did not start: " + ReadFile(FDir / "stderr"));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

TStandIn::~TStandIn() { Stop(); }

std::string TStandIn::Url() const { return "http://127.0.0.1:" + std::to_string(FPort); }

void TStandIn::Stop() {
  if (FPid <= 0) return;
  ::kill(FPid, SIGTERM);
  ::kill(FPid, SIGCONT);  // a paused stand-in sees its SIGTERM only once it runs again
  WaitChild(FPid, 10000);
  FPid = -1;
}

void TStandIn::Pause() const { ::kill(FPid, SIGSTOP); }

void TStandIn::Resume() const { ::kill(FPid, SIGCONT); }

void TStandIn::Fail(const std::vector<std::string>& fault_args) const {
  std::vector<std::string> argv = {"/usr/bin/python3", HALVEX_STANDIN, "fail", "--state", FState};
  argv.insert(argv.end(), fault_args.begin(), fault_args.end());
  Capture(argv);
}

std::vector<std::string> TStandIn::Journal() const {
  return SplitLines(Capture(
      {"/usr/bin/python3", HALVEX_STANDIN, "journal", "--state", FState, "--format", "lines"}));
}

std::vector<std::string> TStandIn::Accepted() const {
  return SplitLines(Capture(
      {"/usr/bin/python3", HALVEX_STANDIN, "journal", "--state", FState, "--format", "accepted"}));
}

std::string TStandIn::State() const {
  return Capture({"/usr/bin/python3", HALVEX_STANDIN, "state", "--state", FState});
}

TCliProcess::TCliProcess(const std::vector<std::string>& args, const std::string& cwd) {
  std::vector<std::string> argv = {HALVEX_CLI};
  argv.insert(argv.end(), args.begin(), args.end());
  FPid = Spawn(argv, cwd, FDir / "stdout", FDir / "stderr");
}

TCliProcess::~TCliProcess() {
  if (FPid > 0) {
    ::kill(FPid, SIGKILL);
    ::waitpid(FPid, nullptr, 0);
  }
}

std::string TCliProcess::FixturesDir() { return HALVEX_FIXTURES; }

std::string TCliProcess::StdoutSoFar() const { return ReadFile(FDir / "stdout"); }

bool TCliProcess::WaitForOutput(const std::string& text, int timeout_ms) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  while (Clock::now() < deadline) {
    if (StdoutSoFar().find(text) != std::string::npos) return true;
    siginfo_t info{};
    if (::waitid(P_PID, static_cast<id_t>(FPid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
        info.si_pid == FPid) {
      return StdoutSoFar().find(text) != std::string::npos;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

void TCliProcess::Interrupt() const { ::kill(FPid, SIGINT); }

void TCliProcess::Terminate() const { ::kill(FPid, SIGTERM); }

TCliResult TCliProcess::Wait(int timeout_ms) {
  TCliResult result;
  result.ExitStatus = WaitChild(FPid, timeout_ms);
  FPid = -1;
  result.Stdout = ReadFile(FDir / "stdout");
  result.Stderr = ReadFile(FDir / "stderr");
  return result;
}

TCliResult RunCli(const std::vector<std::string>& args, const std::string& cwd) {
  return TCliProcess(args, cwd).Wait();
}

TCliResult RunCommand(const std::vector<std::string>& argv, const std::string& cwd,
                      int timeout_ms) {
  TScratchDir dir;
  TCliResult result;
  result.ExitStatus = WaitChild(Spawn(argv, cwd, dir / "stdout", dir / "stderr"), timeout_ms);
  result.Stdout = ReadFile(dir / "stdout");
  result.Stderr = ReadFile(dir / "stderr");
  return result;
}

std::vector<std::string> RunArgs(const TStandIn& target, const std::string& log_dir,
                                 const std::string& db) {
  return {"--db-port",      std::to_string(testsupport::MariaDbEnv().Port),
          "--db-name",      db,
          "--url",          target.Url(),
          "--log-dir",      log_dir,
          "--read-timeout", "20000"};
}

std::string LogFileIn(const std::string& dir) {
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("Log_", 0) == 0) files.push_back(entry.path().string());
  }
  if (files.size() != 1) {
    ADD_FAILURE() << files.size() << " log files in " << dir;
    return {};
  }
  return files[0];
}

TLogFile ReadLogFile(const std::string& dir) {
  const std::string file = LogFileIn(dir);
  if (file.empty()) return {};
  static const std::regex kName(R"(Log_\d\d_\d\d_\d{4}_\d\d-\d\d-\d\d\.log)");
  EXPECT_TRUE(std::regex_match(std::filesystem::path(file).filename().string(), kName)) << file;
  return ReadLogFileAt(file);
}

TLogFile ReadLogFileAt(const std::string& file) {
  TLogFile log;
  const std::string text = ReadFile(file);
  const size_t header_end = text.find("\r\n");
  if (header_end == std::string::npos) return log;
  log.Header = text.substr(0, header_end);
  // An entry is a stamp, its text and CR LF; texts may hold CR LF of their own,
  // so an entry ends only where the next stamp begins.
  static const std::regex kStamp(R"(\r\n\d\d\.\d\d\.\d{4}  \d\d:\d\d:\d\d:\d{3} )");
  const size_t stamp_length = 25;  // "dd.mm.yyyy  hh:nn:ss:zzz "
  std::vector<size_t> starts;
  const std::string body = text.substr(header_end);  // begins with the header's CR LF
  for (std::sregex_iterator it(body.begin(), body.end(), kStamp), end; it != end; ++it) {
    starts.push_back(static_cast<size_t>(it->position()));
  }
  for (size_t i = 0; i < starts.size(); ++i) {
    const size_t from = starts[i] + 2 + stamp_length;
    const size_t to = i + 1 < starts.size() ? starts[i + 1] : body.size() - 2;
    log.Entries.push_back(platform::Cp1251ToUtf8(body.substr(from, to - from)));
  }
  EXPECT_EQ(body.substr(body.size() - 2), "\r\n");
  return log;
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) out += l + "\n";
  return out;
}

std::vector<std::string> EntriesAlsoPrinted(const TCliResult& result, const std::string& dir) {
  std::vector<std::string> entries = ReadLogFile(dir).Entries;
  EXPECT_EQ(result.Stdout, JoinLines(entries));
  return entries;
}

void LoadSampleVariant(const std::string& db, const std::string& extra_sql) {
  TScratchDir dir;
  const std::string file = dir / "variant.sql";
  std::ofstream(file, std::ios::binary)
      << ReadFile(TCliProcess::FixturesDir() + "/halvex_sample.sql") << "\n"
      << extra_sql << "\n";
  testsupport::LoadSqlFile(file, db);
}

std::vector<std::string> With(std::vector<std::string> args, const std::vector<std::string>& more) {
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

std::vector<std::string> BodiesTo(const std::vector<std::string>& journal,
                                  const std::string& path) {
  const std::string head = "POST /" + path + " ";
  std::vector<std::string> bodies;
  for (const std::string& line : journal) {
    if (line.rfind(head, 0) == 0) bodies.push_back(line.substr(head.size()));
  }
  return bodies;
}

std::vector<std::string> SummaryOf(const std::vector<std::string>& entries) {
  auto it = std::find(entries.begin(), entries.end(), kRule);
  return std::vector<std::string>(it, entries.end());
}

std::vector<std::string> Summary(int total, int exported, const std::string& failed,
                                 const std::vector<std::string>& warnings) {
  std::vector<std::string> lines = {
      kRule,
      "ЭКСПОРТ ОБЪЕКТОВ ЗАВЕРШЕН",
      kRule,
      "Полное количество объектов: " + std::to_string(total),
      "Количество экспортированных объектов: " + std::to_string(exported),
      "Список не экспортированных объектов: " + failed,
      kRule,
      "Количество предупреждений: " + std::to_string(warnings.size()),
      kRule};
  if (!warnings.empty()) {
    lines.insert(lines.end(), warnings.begin(), warnings.end());
    lines.push_back(kRule);
  }
  return lines;
}

const std::vector<std::string> kSampleWarnings = {
    "ПРЕДУПРЕЖДЕНИЕ: У ОБЪЕКТА СОВПАДАЮТ НОМЕРА СИМ-КАРТ: 5: 89160000005",
    "ПРЕДУПРЕЖДЕНИЕ: ОБЪЕКТ 7 ИМЕЕТ УЖЕ СУЩЕСТВУЮЩИЕ В СИСТЕМЕ НОМЕРА СИМ-КАРТ: 89161234567  ",
    "ПРЕДУПРЕЖДЕНИЕ: НЕ НАЙДЕН ФАЙЛ С КАРТОЙ ПРОЕЗДА D:\\\\Halvex\\\\maps\\\\missing.png ДЛЯ "
    "ОБЪЕКТА 7",
};

}  // namespace clitest
