// Results against scripted servers: faults among the rows, the local-file
// request, column types and TIMESTAMP lengths a current server never
// sends, the statement bytes and the 16 MiB packet split.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "mysql/db_errors.h"
#include "mysql/my_connection.h"
#include "mysql/my_query.h"
#include "tests/mysql/raised.h"
#include "tests/support/scripted_mysql.h"

namespace {

using mysqltest::Ok;
using mysqltest::ResultSet;
using mysqltest::SplitPackets;
using mysqltest::TColumn;
using mysqltest::TValue;

constexpr uint8_t kLong = 3, kTimestamp = 7, kDateTime = 12, kVarString = 253;

class ScriptedResults : public ::testing::Test {
 protected:
  // The server's script after the login and the character-set statement.
  testsupport::TScript& Script() {
    auto& script = FServer.AddConnection();
    mysqltest::ScriptLogin41(script, "ABCDEFGHIJKLMNOPQRST");
    return script;
  }
  void Open() {
    FConnection.SetServer("127.0.0.1");
    FConnection.SetPort(FServer.Port());
    FConnection.Options().SetCharset("cp1251");
    FQuery.SetConnection(&FConnection);
  }
  // The payloads of the queries the client sent after the login.
  std::vector<std::string> Queries() {
    EXPECT_TRUE(FServer.WaitDone());
    std::vector<std::string> out;
    auto sent = SplitPackets(FServer.Received(0));
    for (size_t i = 2; i < sent.size(); ++i) out.push_back(sent[i].Payload);
    return out;
  }

  testsupport::TScriptedServer FServer;
  TMyConnection FConnection;
  TMyQuery FQuery;
};

TEST_F(ScriptedResults, ErrorAmongTheRowsDropsTheRowsAndLeavesTheSessionReady) {
  std::vector<TColumn> columns = {{"id", kLong, 11}};
  std::string rows = ResultSet(columns, {{TValue("1")}, {TValue("2")}});
  rows = rows.substr(0, rows.size() - 9);  // without the closing end-of-data
  Script()
      .ReadMySqlPacket()
      .Send(rows + mysqltest::Err(6, 1317, "#70100Query execution was interrupted"))
      .ReadMySqlPacket()
      .Send(ResultSet(columns, {{TValue("7")}}))
      .ReadMySqlPacket();
  Open();
  FQuery.SQL.SetText("SELECT id FROM obj");
  if (auto e = mysqltest::Raised<EMyError>([&] { FQuery.Execute(); })) {
    EXPECT_EQ(e->ErrorCode(), 1317);
    EXPECT_STREQ(e->what(), "\r\n#70100Query execution was interrupted");
  }
  EXPECT_FALSE(FQuery.Active());
  EXPECT_EQ(FQuery.Fields.Count(), 0);
  EXPECT_TRUE(FConnection.Connected());
  FQuery.Execute();
  EXPECT_EQ(FQuery.Fields[0].AsInteger(), 7);
}

TEST_F(ScriptedResults, ConnectionClosedInTheMiddleOfAResultIsFatal) {
  std::string rows = ResultSet({{"id", kLong, 11}}, {{TValue("1")}, {TValue("2")}});
  Script().ReadMySqlPacket().Send(rows.substr(0, rows.size() - 14)).Close();
  Open();
  FQuery.SQL.SetText("SELECT id FROM obj");
  if (auto e = mysqltest::Raised<EMyError>([&] { FQuery.Execute(); })) {
    EXPECT_EQ(e->ErrorCode(), 2013);
    EXPECT_EQ(std::string(e->what()).rfind("Lost connection to MySQL server during query", 0), 0u);
  }
  EXPECT_FALSE(FConnection.Connected());
}

TEST(ScriptedTransport, ReceiveFailuresCarryTheirSocketErrorNumbers) {
  struct TCase {
    const char* Name;
    bool Reset;
    const char* Detail;
  } cases[] = {
      {"no answer within the command timeout", false,
       "Socket error on read. WSAGetLastError return 10060($274C)"},
      {"connection reset", true, "Socket error on read. WSAGetLastError return 10054($2746)"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    testsupport::TScriptedServer server;
    auto& script = server.AddConnection();
    mysqltest::ScriptLogin41(script, "ABCDEFGHIJKLMNOPQRST");
    script.ReadMySqlPacket();
    if (c.Reset) {
      script.Reset();
    } else {
      script.Sleep(1500);
    }
    TMyConnection connection;
    connection.SetServer("127.0.0.1");
    connection.SetPort(server.Port());
    connection.Options().SetCharset("cp1251");
    TMyQuery query;
    query.SetConnection(&connection);
    query.SetCommandTimeout(1);
    query.SQL.SetText("SELECT SLEEP(5)");
    if (auto e = mysqltest::Raised<EMyError>([&] { query.Execute(); })) {
      EXPECT_EQ(e->ErrorCode(), 2013);
      EXPECT_EQ(std::string(e->what()),
                std::string("Lost connection to MySQL server during query\r\n") + c.Detail);
    }
    EXPECT_FALSE(connection.Connected());
  }
}

TEST_F(ScriptedResults, LocalFileRequestIsAnsweredWithoutReadingTheFile) {
  std::string path = ::testing::TempDir() + "halvex_local_secret.txt";
  std::ofstream(path) << "operator secret";
  Script()
      .ReadMySqlPacket()
      .Send(mysqltest::Packet(1, "\xFB" + path))
      .ReadMySqlPacket()
      .Send(Ok(3, 0))
      .ReadMySqlPacket();
  Open();
  FQuery.SQL.SetText("SELECT 1");
  EXPECT_NO_THROW(FQuery.Execute());
  EXPECT_FALSE(FQuery.Active());
  FConnection.Disconnect();
  ASSERT_TRUE(FServer.WaitDone());
  auto sent = SplitPackets(FServer.Received(0));
  ASSERT_EQ(sent.size(), 5u);  // login, SET NAMES, query, empty packet, quit
  EXPECT_EQ(sent[3].Seq, 2);
  EXPECT_EQ(sent[3].Payload, "");
  EXPECT_EQ(FServer.Received(0).find("operator secret"), std::string::npos);
  std::remove(path.c_str());
}

TEST_F(ScriptedResults, UnknownColumnTypeFailsTheCursorButNotTheSession) {
  std::vector<TColumn> odd = {{"g", 200, 10}};
  Script()
      .ReadMySqlPacket()
      .Send(ResultSet(odd, {{TValue("x")}, {TValue("y")}}))
      .ReadMySqlPacket()
      .Send(ResultSet({{"id", kLong, 11}}, {{TValue("5")}}))
      .ReadMySqlPacket();
  Open();
  FQuery.SQL.SetText("SELECT g FROM t");
  if (auto e = mysqltest::Raised<EDatabaseError>([&] { FQuery.Execute(); })) {
    EXPECT_STREQ(e->what(), "Unknown MySQL datatype (200)");
  }
  EXPECT_FALSE(FQuery.Active());
  FQuery.Execute();  // the rest of the failed result was skipped
  EXPECT_EQ(FQuery.Fields[0].AsInteger(), 5);
}

TEST_F(ScriptedResults, TimestampColumnsOfEveryOldLength) {
  // 2012-05-01 10:20:30 at each length, and the day count it must give.
  struct TCase {
    uint32_t Length;
    const char* Text;
    double Seconds;  // time of day kept by that length
  } cases[] = {
      {19, "2012-05-01 10:20:30", 37230},
      {14, "20120501102030", 37230},
      {12, "120501102030", 37230},
      {10, "1205011020", 37200},
      {8, "20120501", 0},
      {6, "120501", 0},
      {4, "1205", 0},
      {2, "12", 0},
  };
  std::vector<TColumn> columns;
  std::vector<TValue> row;
  for (const TCase& c : cases) {
    columns.push_back({"ts" + std::to_string(c.Length), kTimestamp, c.Length});
    row.push_back(TValue(c.Text));
  }
  Script()
      .ReadMySqlPacket()
      .Send(ResultSet(columns, {row}))
      .ReadMySqlPacket()
      .Send(ResultSet({{"bad", kTimestamp, 9}}, {{TValue("201205011")}}))
      .ReadMySqlPacket();
  Open();
  FQuery.SQL.SetText("SELECT * FROM stamps");
  FQuery.Execute();
  const double kMay1 = 41030;
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].Length);
    double day = cases[i].Length == 2 ? 40909 : kMay1;  // YY alone means 1 January
    EXPECT_NEAR(FQuery.Fields[i].AsDateTime(), day + cases[i].Seconds / 86400, 1e-9);
  }
  if (auto e = mysqltest::Raised<EDatabaseError>([&] { FQuery.Execute(); })) {
    EXPECT_STREQ(e->what(), "Invalid FIELD_TYPE_TIMESTAMP Field.Length (9)");
  }
}

TEST_F(ScriptedResults, FieldsAsStringAndLongStringsChooseTheFieldClasses) {
  std::vector<TColumn> columns = {
      {"id", kLong, 11}, {"at", kDateTime, 19}, {"note", kVarString, 300}};
  std::string note(300, 'n');
  std::string result =
      ResultSet(columns, {{TValue("42"), TValue("2012-05-01 10:20:30"), TValue(note)}});
  Script().ReadMySqlPacket().Send(result).ReadMySqlPacket().Send(result).ReadMySqlPacket();
  Open();
  FQuery.SQL.SetText("SELECT id, at, note FROM obj");
  FQuery.Options.FieldsAsString = true;
  FQuery.Execute();
  for (int i = 0; i < 3; ++i) EXPECT_EQ(FQuery.Fields[i].DataType(), TFieldType::ftString) << i;
  EXPECT_EQ(FQuery.Fields[0].AsString(), "42");
  EXPECT_EQ(FQuery.Fields[1].AsString(), "2012-05-01 10:20:30");

  FQuery.Options.FieldsAsString = false;
  FQuery.Options.LongStrings = false;
  FQuery.Execute();
  EXPECT_EQ(FQuery.Fields[0].DataType(), TFieldType::ftInteger);
  EXPECT_EQ(FQuery.Fields[1].DataType(), TFieldType::ftDateTime);
  EXPECT_EQ(FQuery.Fields[2].DataType(), TFieldType::ftMemo);
  EXPECT_EQ(FQuery.Fields[2].AsString(), note);
}

TEST_F(ScriptedResults, StatementTextIsSentTrimmedAndJoinedWithCrLf) {
  Script().ReadMySqlPacket().Send(Ok(1)).ReadMySqlPacket().Send(Ok(1)).ReadMySqlPacket();
  Open();
  FQuery.SQL.SetText("SELECT 1 \r\n\t \r\n");
  FQuery.Execute();
  FQuery.SQL.Clear();
  FQuery.SQL.Add("SELECT a");
  FQuery.SQL.Add("FROM b  ");
  FQuery.Execute();
  FConnection.Disconnect();
  std::vector<std::string> queries = Queries();
  ASSERT_EQ(queries.size(), 3u);
  EXPECT_EQ(queries[0], "\x03SELECT 1");
  EXPECT_EQ(queries[1], "\x03SELECT a\r\nFROM b");
}

TEST_F(ScriptedResults, PayloadOfExactlyTheMaximumIsFollowedByAnEmptyPacket) {
  const size_t kMax = 0xFFFFFF;
  std::string statement = "SELECT '" + std::string(kMax - 1 - 9, 'x') + "'";
  ASSERT_EQ(statement.size() + 1, kMax);
  Script().ReadMySqlPacket().ReadMySqlPacket().Send(Ok(2)).ReadMySqlPacket();
  Open();
  FQuery.SQL.SetText(statement);
  FQuery.Execute();
  FConnection.Disconnect();
  ASSERT_TRUE(FServer.WaitDone());
  auto sent = SplitPackets(FServer.Received(0));
  ASSERT_EQ(sent.size(), 5u);
  EXPECT_EQ(sent[2].Seq, 0);
  EXPECT_EQ(sent[2].Payload.size(), kMax);
  EXPECT_EQ(sent[3].Seq, 1);
  EXPECT_EQ(sent[3].Payload, "");
}

}  // namespace
