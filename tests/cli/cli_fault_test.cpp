// Runs of halvex-export-cli against a platform or a database that fails
// under it: error answers, closed and silent connections, a platform that
// is not there, a database that goes away during the objects, a log folder
// that cannot be written. Each run must end as the run's error rules say,
// within a bounded time, with every report line both on standard output
// and in the log file.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <ostream>
#include <sstream>

#include "tests/cli/cli_harness.h"
#include "tests/support/private_mariadb.h"

namespace {

using namespace clitest;  // the harness is what these tests speak

// A run that has not ended by then is killed and the test fails.
constexpr int kRunLimitMs = 30000;
// The platform's read limit where a request is never answered.
const std::vector<std::string> kShortReadLimit = {"--read-timeout", "1000"};
const std::string kLost = "ОШИБКА СВЯЗИ С СЕРВЕРОМ: ";

TCliResult RunToEnd(const std::vector<std::string>& args) {
  return TCliProcess(args).Wait(kRunLimitMs);
}

bool StartsWith(const std::string& text, const std::string& head) {
  return text.rfind(head, 0) == 0;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// A MariaDB of the test's own, with the sample in `velmora`, so that the
// test may stop it; its folder is removed after the server has stopped.
class TOwnMariaDb {
 public:
  int Port() const { return FServer.Port(); }
  void Stop() { FServer.Stop(); }

 private:
  TScratchDir FDir;  // first member: removed after the server has stopped
  testsupport::TPrivateMariaDb FServer{FDir.Path()};
};

// A failure of the platform at one request of one object: that object is
// listed as not exported, nothing more is sent and the summary follows.
struct TObjectFault {
  const char* Name;
  std::vector<std::string> Fault;  // stand-in options
  std::string Path;                // the request that fails
  std::string Message;             // of the report line after kLost
  int Exported;
  std::string Failed;
  std::vector<std::string> Warnings;
  size_t ObjectsSent;
};

void PrintTo(const TObjectFault& fault, std::ostream* out) { *out << fault.Name; }

class CliObjectFault : public testing::TestWithParam<TObjectFault> {};

TEST_P(CliObjectFault, FailsTheObjectAndEndsWithTheSummary) {
  const TObjectFault& fault = GetParam();
  TStandIn target(fault.Fault);
  TScratchDir logs;
  const auto result = RunToEnd(With(RunArgs(target, logs.Path()), kShortReadLimit));
  EXPECT_EQ(result.ExitStatus, 1) << result.Stderr;
  const auto entries = EntriesAlsoPrinted(result, logs.Path());

  const auto failure = std::find(entries.begin(), entries.end(), kLost + fault.Message);
  ASSERT_NE(failure, entries.end());
  ASSERT_NE(failure, entries.begin());
  EXPECT_TRUE(StartsWith(*(failure - 1), "URI: " + fault.Path + " ")) << *(failure - 1);
  EXPECT_EQ(std::vector<std::string>(failure + 1, entries.end()),
            Summary(12, fault.Exported, fault.Failed, fault.Warnings));

  const auto journal = target.Journal();
  ASSERT_FALSE(journal.empty());
  EXPECT_TRUE(StartsWith(journal.back(), "POST /" + fault.Path + " ")) << journal.back();
  EXPECT_EQ(BodiesTo(journal, "restapi/objects/create-standalone/").size(), fault.ObjectsSent);
}

// Objects in the sample's order: 1, 2, 3, 5, 7, ... (Id/ExtId alike for these).
INSTANTIATE_TEST_SUITE_P(
    Faults, CliObjectFault,
    testing::Values(TObjectFault{"ErrorStatusAtTheFourthCreate",
                                 {"--fail-at", "4", "--path", "restapi/objects/create-standalone/"},
                                 "restapi/objects/create-standalone/",
                                 "HTTP/1.0 500 Internal Server Error",
                                 3,
                                 "5/5",
                                 {kSampleWarnings[0]},
                                 4},
                    TObjectFault{"CloseWithoutAnswerAtTheSecondGuardLink",
                                 {"--close-at", "2", "--path", "restapi/objects/obj-add-guards/"},
                                 "restapi/objects/obj-add-guards/",
                                 "Connection Closed Gracefully.",
                                 4,
                                 "7/7",
                                 kSampleWarnings,
                                 5},
                    TObjectFault{"ResetAtTheFirstCard",
                                 {"--fault", R"({"kind": "close", "reset": true, "at": 1,
                                    "path": "restapi/objects/obj-card-save/"})"},
                                 "restapi/objects/obj-card-save/",
                                 "Socket Error # 10054\r\nConnection reset by peer.",
                                 0,
                                 "1/1",
                                 {},
                                 1},
                    TObjectFault{"NoAnswerAtTheThirdCard",
                                 {"--hang-at", "3", "--path", "restapi/objects/obj-card-save/"},
                                 "restapi/objects/obj-card-save/",
                                 "Read Timeout",
                                 2,
                                 "3/3",
                                 {},
                                 3}),
    [](const testing::TestParamInfo<TObjectFault>& info) { return info.param.Name; });

// A failure before the objects: the run ends early with no summary.
struct TEarlyFault {
  const char* Name;
  std::vector<std::string> Fault;  // stand-in options; empty: no platform listens
  std::string Path;
  std::string Message;
};

void PrintTo(const TEarlyFault& fault, std::ostream* out) { *out << fault.Name; }

class CliEarlyFault : public testing::TestWithParam<TEarlyFault> {};

TEST_P(CliEarlyFault, EndsTheRunWithoutSummary) {
  const TEarlyFault& fault = GetParam();
  TStandIn target(fault.Fault);
  if (fault.Fault.empty()) target.Stop();  // its port is refused from now on
  TScratchDir logs;
  const auto result = RunToEnd(With(RunArgs(target, logs.Path()), kShortReadLimit));
  EXPECT_EQ(result.ExitStatus, 1) << result.Stderr;
  const auto entries = EntriesAlsoPrinted(result, logs.Path());
  ASSERT_GE(entries.size(), 2u);
  EXPECT_EQ(entries.back(), kLost + fault.Message);
  EXPECT_TRUE(StartsWith(entries[entries.size() - 2], "URI: " + fault.Path + " "))
      << entries[entries.size() - 2];
  EXPECT_EQ(std::find(entries.begin(), entries.end(), "СОЗДАЕМ ОБЪЕКТЫ"), entries.end());
  EXPECT_EQ(std::find(entries.begin(), entries.end(), kRule), entries.end());
  if (!fault.Fault.empty()) {
    EXPECT_TRUE(StartsWith(target.Journal().back(), "POST /" + fault.Path + " "));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, CliEarlyFault,
    testing::Values(TEarlyFault{"PlatformNotRunning",
                                {},
                                "restapi/objs-groups/search/",
                                "Socket Error # 10061\r\nConnection refused."},
                    TEarlyFault{"NoAnswerAtTheSecondGuard",
                                {"--hang-at", "2", "--path", "restapi/guards/create-guard/"},
                                "restapi/guards/create-guard/",
                                "Read Timeout"}),
    [](const testing::TestParamInfo<TEarlyFault>& info) { return info.param.Name; });

TEST(CliFaults, AnUploadNeverAnsweredIsReportedAndTheRunGoesOn) {
  TStandIn target({"--hang-at", "2", "--path", "restapi/pictures/upload/"});
  TScratchDir logs;
  const auto result = RunToEnd(With(RunArgs(target, logs.Path()), kShortReadLimit));
  EXPECT_EQ(result.ExitStatus, 0) << result.Stderr;
  const auto entries = EntriesAlsoPrinted(result, logs.Path());
  const auto sent = std::find(entries.begin(), entries.end(), "Отправляем файл: maps\\\\obj5.jpg");
  ASSERT_NE(sent, entries.end());
  ASSERT_NE(sent + 1, entries.end());
  EXPECT_EQ(*(sent + 1), "Ошибка при отправке файла: maps\\\\obj5.jpg   Read Timeout");
  EXPECT_EQ(SummaryOf(entries), Summary(12, 12, "", kSampleWarnings));
  EXPECT_EQ(BodiesTo(target.Journal(), "restapi/pictures/upload/").size(), 3u);
}

TEST(CliFaults, ADatabaseStoppedDuringTheObjectsLeavesTheCardsBareAndTheRunGoesOn) {
  TOwnMariaDb db;
  // The first object's create is answered late; the stand-in is paused
  // within that delay, the database stopped, and the stand-in let go. No
  // object's own records have been read by then (they are read once the
  // first object exists, and read ahead for the later ones from there).
  TStandIn target(
      {"--delay-ms", "1500", "--delay-at", "1", "--path", "restapi/objects/create-standalone/"});
  TScratchDir logs;
  TCliProcess run(With(RunArgs(target, logs.Path()), {"--db-port", std::to_string(db.Port())}));
  ASSERT_TRUE(run.WaitForOutput(R"("extId": 1, "objPrefix")", kRunLimitMs));
  target.Pause();
  ASSERT_EQ(run.StdoutSoFar().find(R"("id": 1000)"), std::string::npos)
      << "the first object was answered before the database could be stopped";
  db.Stop();
  target.Resume();
  const auto result = run.Wait(kRunLimitMs);

  EXPECT_EQ(result.ExitStatus, 0) << result.Stderr;
  const auto entries = EntriesAlsoPrinted(result, logs.Path());
  // The objects were read before; only what is read per object is missing.
  EXPECT_EQ(SummaryOf(entries), Summary(12, 12, "", kSampleWarnings));
  const auto journal = target.Journal();
  const auto cards = BodiesTo(journal, "restapi/objects/obj-card-save/");
  ASSERT_EQ(cards.size(), 12u);
  for (size_t i = 0; i < cards.size(); ++i) {
    for (const char* member :
         {"\"Installer\"", "\"ExtraHardware\"", "\"RESPONSIVE_PERSONS\"", "\"areas\""}) {
      EXPECT_EQ(cards[i].find(member), std::string::npos) << member << " in " << cards[i];
    }
  }
  // No object's teams could be read; the route maps are files.
  EXPECT_TRUE(BodiesTo(journal, "restapi/objects/obj-add-guards/").empty());
  EXPECT_EQ(BodiesTo(journal, "restapi/pictures/upload/").size(), 3u);
}

TEST(CliFaults, ALogFolderThatCannotBeWrittenLosesNoLineOfStandardOutput) {
  TScratchDir scratch;
  std::ofstream(scratch / "file") << "not a folder";
  // Nothing can be made below a regular file, not even by root.
  const std::string unwritable = scratch / "file/logs";
  TStandIn target, reference_target;
  const auto result = RunToEnd(RunArgs(target, unwritable));
  // The run went through, but without a record of it: not a success.
  EXPECT_EQ(result.ExitStatus, 1) << result.Stderr;
  EXPECT_NE(result.Stderr.find("cannot be written"), std::string::npos) << result.Stderr;

  TScratchDir logs;
  const auto reference = RunToEnd(RunArgs(reference_target, logs.Path()));
  ASSERT_EQ(reference.ExitStatus, 0) << reference.Stderr;
  EXPECT_EQ(result.Stdout, JoinLines(ReadLogFile(logs.Path()).Entries));
  EXPECT_EQ(SummaryOf(Lines(result.Stdout)), Summary(12, 12, "", kSampleWarnings));
  EXPECT_EQ(target.Journal(), reference_target.Journal());
}

// A log folder that fills up during the run: the file keeps whole entries
// only, standard error says once that the log is incomplete, and the exit
// status tells that the run has no complete record.
TEST(CliFaults, ALogThatFillsUpDuringTheRunIsToldOnceAndFailsTheRun) {
  TStandIn target;
  TScratchDir logs;
  // The file-size limit (16 KiB, SIGXFSZ ignored so that writes fail with
  // EFBIG) stands in for the full disk; standard output passes through `cat`,
  // which runs without the limit.
  std::vector<std::string> argv = {"/bin/bash", "-c",
                                   "(ulimit -f 16; trap '' XFSZ; exec \"$@\") | cat; "
                                   "exit ${PIPESTATUS[0]}",
                                   "_", HALVEX_CLI};
  for (const std::string& arg : RunArgs(target, logs.Path())) argv.push_back(arg);
  const auto result = RunCommand(argv, TCliProcess::FixturesDir(), kRunLimitMs);
  EXPECT_EQ(result.ExitStatus, 1) << result.Stderr;
  EXPECT_EQ(SummaryOf(Lines(result.Stdout)), Summary(12, 12, "", kSampleWarnings));

  const std::string logged = JoinLines(ReadLogFile(logs.Path()).Entries);
  EXPECT_FALSE(logged.empty());
  EXPECT_LT(logged.size(), result.Stdout.size());
  EXPECT_EQ(result.Stdout.substr(0, logged.size()), logged);

  const std::string notice = "cannot be written (write: File too large)";
  const size_t at = result.Stderr.find(notice);
  EXPECT_NE(at, std::string::npos) << result.Stderr;
  EXPECT_EQ(result.Stderr.find(notice, at + 1), std::string::npos) << result.Stderr;
}

TEST(CliFaults, AReaderOfStandardOutputThatGoesAwayDoesNotEndTheRun) {
  TStandIn target;
  TScratchDir logs;
  // `true` ends at once: every line of the run meets a closed pipe.
  std::string command = "cd '" + TCliProcess::FixturesDir() +
                        "' && bash -c '\"$@\" | true; exit ${PIPESTATUS[0]}' _ " HALVEX_CLI;
  for (const std::string& arg : RunArgs(target, logs.Path())) command += " '" + arg + "'";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  const auto log = ReadLogFile(logs.Path());
  EXPECT_EQ(SummaryOf(log.Entries), Summary(12, 12, "", kSampleWarnings));
}

}  // namespace
