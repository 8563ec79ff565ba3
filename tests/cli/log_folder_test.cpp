// Where a console run's log goes when no --log-dir is given: next to the
// program in its build tree (while it may write there), else the user's
// state folder, created when missing, for root too; standard error names
// the file. The runner runs as a copy in a scratch folder, as an ordinary
// user where the test runs as root, against a platform that is not there
// (the run ends at once, after its first report line).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <ostream>

#include "log/log_location.h"
#include "tests/cli/cli_harness.h"
#include "tests/support/loopback.h"

namespace {

using namespace clitest;  // the harness is what these tests speak
namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;

struct TFolderCase {
  const char* Name;
  bool BuildTree;                          // the build's marker lies beside the program
  bool FolderWritable;                     // the program's folder is open to everybody
  bool OrdinaryUser;                       // run as "nobody" when the test runs as root
  std::map<std::string, std::string> Env;  // "@" stands for the scratch folder
  std::string Expected;                    // the log's folder, "@" for the scratch folder
};

void PrintTo(const TFolderCase& c, std::ostream* out) { *out << c.Name; }

std::string InScratch(std::string text, const std::string& scratch) {
  for (size_t at; (at = text.find('@')) != std::string::npos;) text.replace(at, 1, scratch);
  return text;
}

std::vector<std::string> LogFilesBelow(const std::string& dir) {
  std::vector<std::string> logs;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    if (entry.path().filename().string().rfind("Log_", 0) == 0) logs.push_back(entry.path());
  }
  return logs;
}

class CliLogFolder : public testing::TestWithParam<TFolderCase> {};

TEST_P(CliLogFolder, PutsTheLogWhereTheOperatorCanWriteAndFindIt) {
  const TFolderCase& c = GetParam();
  const bool as_root = ::geteuid() == 0;
  const bool drop_to_nobody = as_root && c.OrdinaryUser;
  TScratchDir scratch;
  const std::string s = scratch.Path();
  fs::permissions(s, fs::perms(0755));
  fs::create_directories(s + "/home");
  if (drop_to_nobody) {
    ASSERT_EQ(::chown((s + "/home").c_str(), kNobody, kNobody), 0);
  }
  fs::create_directories(s + "/bin");
  const std::string program = s + "/bin/halvex-export-cli";
  fs::copy_file(HALVEX_CLI, program);
  if (c.BuildTree) {
    std::ofstream(s + "/bin/" + runlog::kBuildTreeMarker) << "build tree\n";
  }
  fs::permissions(s + "/bin", fs::perms(c.FolderWritable ? 0777 : 0555));

  std::vector<std::string> argv;
  if (drop_to_nobody) {
    argv = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
  }
  argv.insert(argv.end(), {"/usr/bin/env", "-i", "PATH=/usr/bin:/bin"});
  for (const char* passed : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
    if (const char* value = std::getenv(passed)) argv.push_back(std::string(passed) + "=" + value);
  }
  for (const auto& [name, value] : c.Env) argv.push_back(name + "=" + InScratch(value, s));
  const std::string closed = std::to_string(testsupport::ClosedLoopbackPort());
  argv.insert(argv.end(), {program, "--url", "http://127.0.0.1:" + closed + "/", "--db-port",
                           closed, "--read-timeout", "5000"});
  const auto result = RunCommand(argv, s, 30000);
  fs::permissions(s + "/bin", fs::perms(0755));

  const std::string folder = InScratch(c.Expected, s);
  const std::vector<std::string> logs = LogFilesBelow(s);
  ASSERT_EQ(logs.size(), 1u) << result.Stderr;
  EXPECT_EQ(fs::path(logs[0]).parent_path().string() + "/", folder);
  EXPECT_EQ(result.Stderr.rfind("halvex-export-cli: log file " + logs[0] + "\n", 0), 0u)
      << result.Stderr;
  EXPECT_EQ(result.Stderr.find("cannot be written"), std::string::npos) << result.Stderr;
  EXPECT_FALSE(ReadLogFile(folder).Entries.empty());
  if (folder.find("/halvex-export/") != std::string::npos) {
    EXPECT_EQ(fs::status(folder).permissions(), fs::perms(0700));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliLogFolder,
    testing::Values(
        TFolderCase{"InstalledWithStateHome",
                    false,
                    false,
                    true,
                    {{"HOME", "@/home"}, {"XDG_STATE_HOME", "@/home/state"}},
                    "@/home/state/halvex-export/"},
        TFolderCase{"InstalledWithHomeOnly",
                    false,
                    false,
                    true,
                    {{"HOME", "@/home"}},
                    "@/home/.local/state/halvex-export/"},
        TFolderCase{"RelativeStateHomeIsIgnored",
                    false,
                    false,
                    true,
                    {{"HOME", "@/home"}, {"XDG_STATE_HOME", "home/state"}},
                    "@/home/.local/state/halvex-export/"},
        TFolderCase{"InstalledNeverWritesBesideItselfEvenAsRoot",
                    false,
                    true,
                    false,
                    {{"HOME", "@/home"}},
                    "@/home/.local/state/halvex-export/"},
        TFolderCase{"BuildTreeKeepsItsFolder", true, true, true, {{"HOME", "@/home"}}, "@/bin/"},
        TFolderCase{"BuildTreeThatCannotBeWritten",
                    true,
                    false,
                    true,
                    {{"HOME", "@/home"}},
                    "@/home/.local/state/halvex-export/"}),
    [](const testing::TestParamInfo<TFolderCase>& info) { return std::string(info.param.Name); });

}  // namespace
