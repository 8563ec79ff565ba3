// TExportThread's early ends, as the window sees them through its readers:
// the running flag cleared, the progress at 100, the reason as last line.
// The source is the private MariaDB (a run reaches it before the platform).
#include "export/ethread.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "platform/numbers.h"
#include "platform/text_codec.h"
#include "tests/support/loopback.h"
#include "tests/support/mariadb_env.h"
#include "tests/support/scripted_server.h"

namespace {

std::string Answer(const std::string& body) {
  return "HTTP/1.0 200 OK\r\nContent-Length: " + platform::IntToStr(body.size()) + "\r\n\r\n" +
         body;
}

// A run against the scripted `server`, its queue served on the test's thread.
class ExportThreadTest : public ::testing::Test {
 protected:
  void TearDown() override { std::filesystem::remove(FLog); }

  // Runs to the end and returns the report lines (UTF-8) in order.
  std::vector<std::string> Run() {
    std::vector<std::string> lines;
    run = std::make_unique<TExportThread>(
        queue, [&] { lines.push_back(platform::Cp1251ToUtf8(run->GetLastLine())); });
    run->SetDbOptions(&FOptions);
    run->SetTarget("http://127.0.0.1:" + std::to_string(server.Port()) + "/", "root", "larkspur", 0,
                   "YDX");
    run->SetLogFileName(FLog);
    run->SetReadTimeout(5000);
    run->Start();
    while (!run->Finished()) {
      if (queue.WaitForRequest(50)) queue.ServePending();
    }
    run->WaitFor();
    return lines;
  }

  testsupport::TScriptedServer server;
  platform::TSyncQueue queue;
  std::unique_ptr<TExportThread> run;
  TDBoptions FOptions = [] {
    const testsupport::TMariaDbEnv env = testsupport::MariaDbEnv();
    return TDBoptions{"velmora", "root", "quietlamp", "cp1251", env.Host, env.Port, ""};
  }();

 private:
  std::string FLog = (std::filesystem::temp_directory_path() /
                      ("halvex_ethread_" + std::to_string(::getpid()) + ".log"))
                         .string();
};

}  // namespace

TEST_F(ExportThreadTest, AnExistingObjectsGroupEndsTheRunAtOnce) {
  server.AddConnection()
      .ReadHttpRequest()
      .Send(Answer(R"({"data":[{"id":5,"name":"Стационарные объекты"}]})"))
      .Close();
  const auto lines = Run();
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines.back(), "ОШИБКА: УЖЕ ЕСТЬ ГРУППА Стационарные объекты");
  EXPECT_FALSE(run->IsRunning());
  EXPECT_EQ(run->GetProgress(), 100);
  EXPECT_EQ(run->RunEnd(), TRunEnd::EndedEarly);
  EXPECT_EQ(run->FatalError(), nullptr);
}

TEST_F(ExportThreadTest, ALostConnectionInTheGroupStepIsReportedAndEndsTheRun) {
  server.AddConnection().ReadHttpRequest().Close();
  const auto lines = Run();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].rfind("URI: restapi/objs-groups/search/ ", 0), 0u);
  EXPECT_EQ(lines[1], "ОШИБКА СВЯЗИ С СЕРВЕРОМ: Connection Closed Gracefully.");
  EXPECT_FALSE(run->IsRunning());
  EXPECT_EQ(run->GetProgress(), 100);
  EXPECT_EQ(run->RunEnd(), TRunEnd::EndedEarly);
}

TEST_F(ExportThreadTest, ASourceThatCannotBeReachedEndsTheRunBeforeAnyRequest) {
  FOptions.Password = "mistyped";
  const auto lines = Run();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].rfind("НЕТ СОЕДИНЕНИЯ С БАЗОЙ ДАННЫХ: ", 0), 0u) << lines[0];
  EXPECT_NE(lines[0].find("Access denied"), std::string::npos) << lines[0];
  EXPECT_EQ(server.Accepted(), 0u);
  EXPECT_FALSE(run->IsRunning());
  EXPECT_EQ(run->GetProgress(), 100);
  EXPECT_EQ(run->RunEnd(), TRunEnd::EndedEarly);
}
