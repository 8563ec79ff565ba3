// A database server that stops answering in the middle of a statement: the
// reader's statement fails after its silence limit and the reader goes on,
// instead of holding the run for good.
#include <gtest/gtest.h>

#include <chrono>

#include "source/dbreader.h"
#include "tests/support/scripted_mysql.h"

namespace {

TEST(SourceSilentServer, AStatementFailsAfterTheSilenceLimit) {
  testsupport::TScriptedServer server;
  auto& script = server.AddConnection();
  mysqltest::ScriptLogin41(script, "ABCDEFGHIJKLMNOPQRST");
  script.ReadMySqlPacket().Sleep(4000);  // takes the object query, answers nothing for 4 s

  TDBoptions options;
  options.DBName = "velmora";
  options.User = "root";
  options.Password = "quietlamp";
  options.Charset = "cp1251";
  options.Host = "127.0.0.1";
  options.Port = server.Port();
  TDbReader reader;
  reader.SetOptions(options);
  reader.SetCommandTimeout(1);
  ASSERT_TRUE(reader.Connect());

  const auto start = std::chrono::steady_clock::now();
  TObjectList objects;
  std::string error;
  EXPECT_FALSE(reader.ReadObjects(objects, error));
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_LT(waited, std::chrono::seconds(3)) << "the limit bounds the wait";
  EXPECT_NE(error.find("] Lost connection to MySQL server during query"), std::string::npos)
      << error;
  EXPECT_TRUE(objects.empty());
  reader.Disconnect();
}

}  // namespace
