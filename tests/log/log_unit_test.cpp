// The run log file: header, stamped entries, and silence on every error
// (noted for the owner, never raised), with no piece of a lost entry left.
#include "log/log_unit.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>

#include "platform/date_time.h"
#include "platform/files.h"
#include "tests/support/file_size_limit.h"

namespace {

namespace fs = std::filesystem;

class LoggerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FDir = fs::temp_directory_path() / ("halvex_log_" + std::to_string(::getpid()));
    fs::remove_all(FDir);
    fs::create_directories(FDir);
    FFile = (FDir / "Log_run.log").string();
  }
  void TearDown() override {
    fs::permissions(FDir, fs::perms::owner_all);
    fs::remove_all(FDir);
  }
  std::string Content() { return platform::ReadWholeFile(FFile); }
  fs::path FDir;
  std::string FFile;
};

// One entry: "dd.mm.yyyy  hh:nn:ss:zzz " + text + CR LF.
std::string EntryPattern(const std::string& text) {
  std::string s = platform::TimeSeparator();
  return "\\d{2}\\.\\d{2}\\.\\d{4}  \\d{2}" + s + "\\d{2}" + s + "\\d{2}" + s + "\\d{3} " + text +
         "\r\n";
}

TEST_F(LoggerTest, FirstEntryCreatesTheFileWithItsHeader) {
  TLogger logger(FFile);
  EXPECT_FALSE(platform::FileExists(FFile));  // the constructor touches nothing
  logger.AddLine("first");
  logger.AddLine("");
  logger.AddLine("\xCF\xF0\xE8\xE2\xE5\xF2");  // Cyrillic in Windows-1251
  std::string content = Content();
  ASSERT_EQ(content.rfind("Carvelmontrade 1.0.16\r\n", 0), 0u);
  EXPECT_TRUE(
      std::regex_match(content.substr(23), std::regex(EntryPattern("first") + EntryPattern("") +
                                                      EntryPattern("\xCF\xF0\xE8\xE2\xE5\xF2"))))
      << content;
}

TEST_F(LoggerTest, AnExistingFileGetsNoHeader) {
  platform::TExclusiveFile::Create(FFile).Close();
  TLogger(FFile).AddLine("appended");
  EXPECT_TRUE(std::regex_match(Content(), std::regex(EntryPattern("appended"))));
}

TEST_F(LoggerTest, StampHasFourDigitYearAndThreeDigitMilliseconds) {
  std::string stamp = TLogger::MakeStamp();
  EXPECT_TRUE(std::regex_match(stamp + "\r\n", std::regex(EntryPattern(""))));
  std::string year = std::to_string(platform::NowParts().Year);
  EXPECT_EQ(stamp.substr(6, 4), year);
}

TEST_F(LoggerTest, UnwritableFolderOrHeldFileLosesTheEntryQuietly) {
  fs::permissions(FDir, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                            fs::perms::group_exec | fs::perms::others_read |
                            fs::perms::others_exec);
  if (::geteuid() == 0) {
    // root writes anywhere: the writer runs in a child that has dropped to "nobody".
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(3);
      TLogger(FFile).AddLine("lost");
      TLogger(FFile).AddLine("lost again");
      ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
  } else {
    TLogger blocked(FFile);
    EXPECT_NO_THROW(blocked.AddLine("lost"));
  }
  EXPECT_FALSE(platform::FileExists(FFile));
  fs::permissions(FDir, fs::perms::owner_all);
  TLogger logger(FFile);
  logger.AddLine("kept");
  {
    auto held = platform::TExclusiveFile::OpenExisting(FFile);
    logger.AddLine("dropped while held");
  }
  logger.AddLine("again");
  std::string content = Content();
  EXPECT_EQ(content.find("dropped"), std::string::npos);
  EXPECT_NE(content.find("kept"), std::string::npos);
  EXPECT_NE(content.find("again"), std::string::npos);
}

// Runs `body` in a child process and gives what it returned (the child's
// limits and signal dispositions die with it).
std::string InChild(const std::function<std::string()>& body) {
  int pipe_fds[2];
  if (::pipe(pipe_fds) != 0) return "pipe failed";
  pid_t child = ::fork();
  if (child == 0) {
    ::close(pipe_fds[0]);
    const std::string out = body();
    ssize_t ignored = ::write(pipe_fds[1], out.data(), out.size());
    (void)ignored;
    ::_exit(0);
  }
  ::close(pipe_fds[1]);
  std::string out;
  char buf[512];
  for (ssize_t n; (n = ::read(pipe_fds[0], buf, sizeof buf)) > 0;) out.append(buf, n);
  ::close(pipe_fds[0]);
  ::waitpid(child, nullptr, 0);
  return out;
}

std::string Outcome(const TLogger& logger) {
  return std::string(logger.EntryLost() ? "lost: " : "kept: ") + logger.FirstFailure();
}

constexpr size_t kHeaderSize = 23;
constexpr size_t kStampSize = 25;

TEST_F(LoggerTest, AnEntryCutByAFullDiskIsTakenBackAndNoted) {
  const std::string long_line(200, 'x');
  const std::string outcome = InChild([&] {
    TLogger logger(FFile);
    const testsupport::TFileSizeLimit full_disk(kHeaderSize + (kStampSize + 7) + 40);
    logger.AddLine("first");    // fits
    logger.AddLine(long_line);  // partly written, then refused
    logger.AddLine("ok");       // fits in what is left
    return Outcome(logger);
  });
  EXPECT_EQ(outcome, "lost: write: File too large");
  EXPECT_TRUE(std::regex_match(Content(), std::regex("Carvelmontrade 1\\.0\\.16\r\n" +
                                                     EntryPattern("first") + EntryPattern("ok"))))
      << Content();
}

TEST_F(LoggerTest, AHeaderCutByAFullDiskLeavesNoFileAndTheNextEntryWritesIt) {
  const std::string outcome = InChild([&] {
    TLogger logger(FFile);
    bool left = false;
    {
      const testsupport::TFileSizeLimit full_disk(10);
      logger.AddLine("lost");
      left = platform::FileExists(FFile);
    }
    logger.AddLine("kept");
    return Outcome(logger) + (left ? " (a cut file was left)" : "");
  });
  EXPECT_EQ(outcome, "lost: write: File too large");
  EXPECT_TRUE(std::regex_match(Content(),
                               std::regex("Carvelmontrade 1\\.0\\.16\r\n" + EntryPattern("kept"))))
      << Content();
}

// The first loss is kept whatever comes after: a later entry that is written
// does not make the log whole again.
TEST_F(LoggerTest, TheFirstLossIsKeptWithItsReason) {
  std::ofstream((FDir / "file").string()) << "not a folder";
  TLogger nowhere((FDir / "file" / "Log_run.log").string());  // not even root makes this
  EXPECT_NO_THROW(nowhere.AddLine("lost"));
  EXPECT_TRUE(nowhere.EntryLost());
  EXPECT_NE(nowhere.FirstFailure().find("cannot create"), std::string::npos)
      << nowhere.FirstFailure();

  TLogger logger(FFile);
  logger.AddLine("kept");
  EXPECT_FALSE(logger.EntryLost());
  EXPECT_EQ(logger.FirstFailure(), "");
  {
    auto held = platform::TExclusiveFile::OpenExisting(FFile);
    logger.AddLine("dropped while held");
  }
  logger.AddLine("again");
  EXPECT_TRUE(logger.EntryLost());
  EXPECT_NE(logger.FirstFailure().find("cannot lock"), std::string::npos) << logger.FirstFailure();
}

}  // namespace
