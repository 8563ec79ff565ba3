// Statements and failures against the private MariaDB: results with and
// without rows, server errors, a dropped idle connection, commands out of
// sync, several results from one statement text.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "mysql/db_errors.h"
#include "mysql/my_connection.h"
#include "mysql/my_query.h"
#include "mysql/mysql_api.h"
#include "tests/mysql/mariadb_test_support.h"
#include "tests/mysql/raised.h"
#include "tests/support/mariadb_env.h"

namespace {

class MariaDbStatements : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { mysqltest::EnsureScratchDb(); }
  void SetUp() override {
    mysqltest::Configure(FConnection);
    FQuery.SetConnection(&FConnection);
  }
  // The EMyError that running `sql` raises.
  EMyError Failure(const std::string& sql) {
    FQuery.SQL.SetText(sql);
    return mysqltest::Raised<EMyError>([&] { FQuery.Execute(); }).value_or(EMyError(0, ""));
  }
  TMyConnection FConnection;
  TMyQuery FQuery;
};

TEST_F(MariaDbStatements, RowsNoRowsAndNoResultSet) {
  mysqltest::Run(FConnection, "DROP TABLE IF EXISTS few");
  mysqltest::Run(FConnection, "CREATE TABLE few (id INT, name VARCHAR(10))");
  FQuery.SQL.SetText("INSERT INTO few VALUES (1, 'a'), (2, 'b'), (3, 'c')");
  FQuery.Execute();
  EXPECT_FALSE(FQuery.Active());  // no result set, no error
  EXPECT_EQ(FQuery.RowsAffected(), 3);

  FQuery.SQL.SetText("SELECT id, name FROM few WHERE id > 10");
  FQuery.Execute();
  EXPECT_TRUE(FQuery.Active());
  EXPECT_TRUE(FQuery.AtEnd());
  ASSERT_EQ(FQuery.Fields.Count(), 2);
  EXPECT_EQ(FQuery.Fields[1].FieldName(), "name");

  FQuery.SQL.SetText("SELECT id, name FROM few ORDER BY id");
  EXPECT_FALSE(FQuery.Active());  // a new text closes the cursor
  FQuery.Execute();
  std::string seen;
  for (; !FQuery.AtEnd(); FQuery.NextRow()) seen += FQuery.Fields[1].AsString();
  EXPECT_EQ(seen, "abc");
  EXPECT_EQ(FQuery.Fields[0].AsInteger(), 3);  // stays on the last row
  FQuery.SQL.SetText("SELECT 1");
  EXPECT_EQ(FQuery.Fields.Count(), 0);
  EXPECT_THROW(FQuery.Fields[0], EListError);

  FQuery.SQL.SetText("DELETE FROM few");
  EXPECT_THROW(FQuery.Open(), EDatabaseError);
}

TEST_F(MariaDbStatements, ServerErrorsKeepTheConnection) {
  EMyError missing = Failure("SELECT * FROM no_such_table");
  EXPECT_EQ(missing.ErrorCode(), 1146);
  EXPECT_EQ(std::string(missing.what()),
            "\r\n#42S02Table '" + mysqltest::ScratchDb() + ".no_such_table' doesn't exist");
  EXPECT_FALSE(missing.LineNumber().has_value());
  EXPECT_FALSE(FQuery.Active());

  EMyError syntax = Failure("SELECT 1\nFROM\nWHERE");
  EXPECT_EQ(syntax.ErrorCode(), 1064);
  EXPECT_EQ(syntax.LineNumber(), 3);

  EXPECT_TRUE(FConnection.Connected());
  FQuery.SQL.SetText("SELECT 42");
  FQuery.Execute();
  EXPECT_EQ(FQuery.Fields[0].AsInteger(), 42);
}

TEST_F(MariaDbStatements, ServerClosingAnIdleConnectionIsNoticedByTheNextStatement) {
  mysqltest::Run(FConnection, "SET SESSION wait_timeout = 1");
  std::this_thread::sleep_for(std::chrono::milliseconds(2500));
  EMyError lost = Failure("SELECT 1");
  EXPECT_EQ(lost.ErrorCode(), 2013);
  EXPECT_EQ(std::string(lost.what()).rfind("Lost connection to MySQL server during query", 0), 0u);
  EXPECT_FALSE(FConnection.Connected());
  FQuery.Execute();  // connects again
  EXPECT_TRUE(FConnection.Connected());
  EXPECT_EQ(FQuery.Fields[0].AsInteger(), 1);
}

TEST_F(MariaDbStatements, SeveralResultsFromOneTextLeaveTheSessionUsable) {
  FQuery.SQL.SetText("SELECT 1; SELECT 2, 3; DO 0");
  FQuery.Execute();
  EXPECT_EQ(FQuery.Fields.Count(), 1);
  EXPECT_EQ(FQuery.Fields[0].AsInteger(), 1);
  FQuery.SQL.SetText("SELECT 4");
  FQuery.Execute();
  EXPECT_EQ(FQuery.Fields[0].AsInteger(), 4);

  EMyError later = Failure("SELECT 5; SELECT * FROM no_such_table");
  EXPECT_EQ(later.ErrorCode(), 1146);
  EXPECT_FALSE(FQuery.Active());
  FQuery.SQL.SetText("SELECT 6");
  FQuery.Execute();
  EXPECT_EQ(FQuery.Fields[0].AsInteger(), 6);
}

TEST(MariaDbEngine, CommandWhileRowsArePendingIsOutOfSync) {
  testsupport::TMariaDbEnv env = testsupport::MariaDbEnv();
  TMySQLAPIDirect& api = TMySQLAPIDirect::Engine();
  std::unique_ptr<TMySqlSession> session = api.mysql_init();
  ASSERT_TRUE(api.mysql_real_connect(*session, env.Host, "root", "quietlamp", "", env.Port, "",
                                     CLIENT_FOUND_ROWS | CLIENT_MULTI_STATEMENTS));
  std::string select = "SELECT 1 UNION SELECT 2";
  ASSERT_EQ(api.mysql_real_query(*session, select.data(), select.size()), 0);
  EXPECT_EQ(api.mysql_field_count(*session), 1);
  EXPECT_EQ(api.mysql_real_query(*session, select.data(), select.size()), 2014);
  EXPECT_EQ(api.mysql_error(*session), "Commands out of sync;  You can't run this command now");

  std::unique_ptr<TMySqlResultSet> result = api.mysql_use_result(*session);
  ASSERT_TRUE(result);
  ASSERT_TRUE(api.mysql_fetch_row(*result));
  api.mysql_free_result(std::move(result));  // skips the second row
  EXPECT_EQ(api.mysql_real_query(*session, select.data(), select.size()), 0);
  api.mysql_close(std::move(session));
}

}  // namespace
