// Failures that need no server: an unreachable port, component misuse, the
// message table and the line number of syntax errors.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "mysql/client_errors.h"
#include "mysql/db_errors.h"
#include "mysql/my_connection.h"
#include "mysql/my_query.h"
#include "tests/mysql/raised.h"
#include "tests/support/loopback.h"

namespace {

int ClosedPort() { return testsupport::ClosedLoopbackPort(); }

TEST(ClientErrors, RefusedConnectionIs2003WithTheRealSocketError) {
  TMyConnection connection;
  connection.SetServer("127.0.0.1");
  connection.SetPort(ClosedPort());
  TMyQuery query;
  query.SetConnection(&connection);
  query.SQL.SetText("SELECT 1");
  for (int attempt = 0; attempt < 2; ++attempt) {  // Execute tries to connect each time
    if (auto e = mysqltest::Raised<EMyError>([&] { query.Execute(); })) {
      EXPECT_EQ(e->ErrorCode(), 2003);
      EXPECT_STREQ(e->what(),
                   "Can't connect to MySQL server on '127.0.0.1' (10061)\r\n"
                   "Socket error on connect. WSAGetLastError return 10061($274D)");
    }
    EXPECT_FALSE(connection.Connected());
  }
}

TEST(ClientErrors, PortOutsideTheSixteenBitRangeIsRefusedNotCut) {
  for (int32_t port : {70000, 65536 + 3306, -1}) {
    SCOPED_TRACE(port);
    TMyConnection connection;
    connection.SetServer("127.0.0.1");
    connection.SetPort(port);
    if (auto e = mysqltest::Raised<EMyError>([&] { connection.Connect(); })) {
      EXPECT_EQ(e->ErrorCode(), 2003);
      EXPECT_STREQ(e->what(),
                   "Can't connect to MySQL server on '127.0.0.1' (10049)\r\n"
                   "Socket error on connect. WSAGetLastError return 10049($2741)");
    }
  }
}

TEST(ClientErrors, UnknownHostIs2003WithTheLookupFailure) {
  TMyConnection connection;
  connection.SetServer("no-such-host.invalid");
  connection.SetConnectionTimeout(3);
  if (auto e = mysqltest::Raised<EMyError>([&] { connection.Connect(); })) {
    EXPECT_EQ(e->ErrorCode(), 2003);
    std::string message = e->what();
    // A resolver that cannot answer in time gives the timeout instead.
    EXPECT_TRUE(message ==
                    "Can't connect to MySQL server on 'no-such-host.invalid' (11001)\r\n"
                    "Socket error on connect. WSAGetLastError return 11001($2AF9)" ||
                message ==
                    "Can't connect to MySQL server on 'no-such-host.invalid' (10060)\r\n"
                    "Connection timed out")
        << message;
  }
}

TEST(ClientErrors, MisuseOfTheComponents) {
  TMyQuery query;
  query.SQL.SetText("SELECT 1");
  if (auto e = mysqltest::Raised<EDatabaseError>([&] { query.Execute(); })) {
    EXPECT_STREQ(e->what(), "Connection is not defined");
  }
  if (auto e = mysqltest::Raised<EListError>([&] { query.Fields[3]; })) {
    EXPECT_STREQ(e->what(), "List index out of bounds (3)");
  }
}

TEST(ClientErrors, MessageTableAndItsPlaceholders) {
  using namespace mysql_client;
  EXPECT_EQ(ClientErrorText(2000), "Unknown MySQL error");
  EXPECT_EQ(ClientErrorText(2014), "Commands out of sync;  You can't run this command now");
  EXPECT_EQ(ClientErrorText(2047), "Invalid connection handle");
  EXPECT_EQ(ClientErrorText(1999), "");
  EXPECT_EQ(ClientErrorText(2048), "");
  EXPECT_STREQ(EMySqlException(2007).what(),
               "Protocol mismatch. Server Version = %d Client Version = %d");
  EXPECT_STREQ(EMySqlException(2013, "").what(), "Lost connection to MySQL server during query");
  EXPECT_STREQ(EMySqlException(1146, "#42S02gone").what(), "\r\n#42S02gone");
  EXPECT_STREQ(EMySqlException(2005, "", {std::string(70, 'h'), int64_t{7}}).what(),
               ("Unknown MySQL Server Host '" + std::string(64, 'h') + "' (7)").c_str());
}

TEST(ClientErrors, SyntaxErrorsKeepTheLastNumberOfTheirMessage) {
  struct TCase {
    int Code;
    const char* Message;
    std::optional<int32_t> Line;
  } cases[] = {
      {1064, "\r\n#42000You have an error ... near 'x' at line 12", 12},
      {1064, "\r\n#42000near '1234' at line 7", 7},
      {1064, "\r\nno digits here", std::nullopt},
      {1146, "\r\n#42S02Table 'a.b9' doesn't exist at line 3", std::nullopt},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Message);
    EXPECT_EQ(EMyError(c.Code, c.Message).LineNumber(), c.Line);
  }
}

}  // namespace
