// Logging in to the private MariaDB: the three password roads, refusals,
// the character-set statement and reconnecting after settings change.
#include <gtest/gtest.h>

#include "mysql/db_errors.h"
#include "mysql/my_connection.h"
#include "mysql/my_query.h"
#include "tests/mysql/mariadb_test_support.h"
#include "tests/mysql/raised.h"

namespace {

std::string One(TMyConnection& connection, const std::string& sql) {
  TMyQuery query;
  query.SetConnection(&connection);
  query.SQL.SetText(sql);
  query.Execute();
  return query.Fields[0].AsString();
}

TEST(MariaDbLogin, EachPasswordKindLogsInAndGetsTheCharacterSet) {
  struct TCase {
    const char* User;
    const char* Password;
  } cases[] = {{"root", "quietlamp"}, {"halvex_empty", ""}, {"halvex_old", "oldpass"}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.User);
    TMyConnection connection;
    mysqltest::Configure(connection, c.User, c.Password, "");
    connection.Connect();
    ASSERT_TRUE(connection.Connected());
    EXPECT_EQ(One(connection, "SELECT CURRENT_USER()"), std::string(c.User) + "@%");
    EXPECT_EQ(One(connection, "SELECT @@character_set_client"), "cp1251");
    EXPECT_EQ(connection.ServerVersion().rfind("5.5.5-10.11", 0), 0u) << connection.ServerVersion();
    connection.Disconnect();
    EXPECT_FALSE(connection.Connected());
  }
}

TEST(MariaDbLogin, RefusalsCarryTheServersTextAfterALineBreak) {
  struct TCase {
    const char* User;
    const char* Password;
    const char* Database;
    const char* Charset;
    int Code;
    const char* Message;
  } cases[] = {
      {"root", "wrong", "", "cp1251", 1045,
       "\r\n#28000Access denied for user 'root'@'127.0.0.1' (using password: YES)"},
      {"halvex_old", "wrong", "", "cp1251", 1045,
       "\r\n#28000Access denied for user 'halvex_old'@'127.0.0.1' (using password: YES)"},
      {"root", "quietlamp", "no_such_db", "cp1251", 1049,
       "\r\n#42000Unknown database 'no_such_db'"},
      {"root", "quietlamp", "", "klingon", 1115, "\r\n#42000Unknown character set: 'klingon'"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Message);
    TMyConnection connection;
    mysqltest::Configure(connection, c.User, c.Password, c.Database);
    connection.Options().SetCharset(c.Charset);
    if (auto e = mysqltest::Raised<EMyError>([&] { connection.Connect(); })) {
      EXPECT_EQ(e->ErrorCode(), c.Code);
      EXPECT_EQ(std::string(e->what()), c.Message);
    }
    EXPECT_FALSE(connection.Connected());
  }
}

TEST(MariaDbLogin, ChangedSettingsDisconnectAndTheNextStatementReconnects) {
  mysqltest::EnsureScratchDb();
  TMyConnection connection;
  mysqltest::Configure(connection, "root", "quietlamp", "");
  connection.Connect();
  std::string first_id = One(connection, "SELECT CONNECTION_ID()");

  connection.SetServer(connection.Server());  // same value: stays connected
  EXPECT_TRUE(connection.Connected());
  connection.SetDatabase(mysqltest::ScratchDb());  // selected on the open session
  EXPECT_EQ(One(connection, "SELECT DATABASE()"), mysqltest::ScratchDb());
  EXPECT_EQ(One(connection, "SELECT CONNECTION_ID()"), first_id);
  EXPECT_THROW(connection.Options().SetCharset("utf8"), EDatabaseError);

  connection.SetUsername("halvex_empty");
  connection.SetPassword("");
  EXPECT_FALSE(connection.Connected());
  EXPECT_EQ(One(connection, "SELECT CURRENT_USER()"), "halvex_empty@%");
  EXPECT_NE(One(connection, "SELECT CONNECTION_ID()"), first_id);
}

}  // namespace
