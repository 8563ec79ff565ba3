// Field classes and accessors against real column types of the private
// MariaDB, NULLs and impossible dates, Windows-1251 texts, long values.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "mysql/db_errors.h"
#include "mysql/my_connection.h"
#include "mysql/my_query.h"
#include "platform/text_codec.h"
#include "tests/mysql/mariadb_test_support.h"
#include "tests/mysql/raised.h"

namespace {

class MariaDbFields : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    mysqltest::EnsureScratchDb();
    TMyConnection connection;
    mysqltest::Configure(connection);
    mysqltest::Run(connection, "SET SESSION sql_mode = 'ALLOW_INVALID_DATES'");
    mysqltest::Run(connection, "DROP TABLE IF EXISTS kinds");
    mysqltest::Run(connection,
                   "CREATE TABLE kinds (n INT, i INT, iu INT UNSIGNED, b TINYINT(1), t TINYINT,"
                   " tu TINYINT UNSIGNED, s SMALLINT, su SMALLINT UNSIGNED, m MEDIUMINT,"
                   " bi BIGINT, biu BIGINT UNSIGNED, bt BIT(10), y YEAR, dc DECIMAL(10,2),"
                   " f FLOAT, db DOUBLE, d DATE, tm TIME, dt DATETIME, ts TIMESTAMP NULL,"
                   " c CHAR(10), vc VARCHAR(300), e ENUM('a','b'), st SET('x','y'), tx TEXT,"
                   " bl BLOB, vb VARBINARY(10), ts3 TIMESTAMP(3) NULL) CHARACTER SET cp1251");
    mysqltest::Run(connection,
                   "INSERT INTO kinds VALUES (1, -2147483648, 4294967295, 1, -5, 200, -300, 65535,"
                   " -8388608, -9223372036854775808, 18446744073709551615, b'1000000001', 2024,"
                   " 12.50, 1.5, 2.5, '2015-03-01', '-12:30:00', '2012-05-01 10:20:30',"
                   " '2012-05-01 10:20:30', 'ab   ', 'ab   ', 'b', 'x,y', 'memo', x'00FF41', 'xy',"
                   " '2012-05-01 10:20:30.123')");
    mysqltest::Run(connection, "INSERT INTO kinds (n) VALUES (2)");
    mysqltest::Run(connection,
                   "INSERT INTO kinds (n, d, tm, dt, ts, vc, c) VALUES (3, '0000-00-00',"
                   " '123:45:06', '2012-02-30 01:02:03', '0000-00-00 00:00:00', '', '')");
    mysqltest::Run(connection,
                   "INSERT INTO kinds (n, dt, d) VALUES (4, '0000-00-00 00:00:00', '2012-02-30')");
  }

  void SetUp() override {
    mysqltest::Configure(FConnection);
    FQuery.SetConnection(&FConnection);
  }

  // Opens the kinds row `n` and returns the field named `column`.
  TField& Field(int n, const std::string& column) {
    FQuery.SQL.SetText("SELECT " + column + " FROM kinds WHERE n = " + std::to_string(n));
    FQuery.Execute();
    EXPECT_FALSE(FQuery.AtEnd());
    return FQuery.Fields[0];
  }

  TMyConnection FConnection;
  TMyQuery FQuery;
};

TEST_F(MariaDbFields, ColumnTypesBecomeTheirFieldClasses) {
  struct TCase {
    const char* Column;
    TFieldType Type;
    int Size;
  } cases[] = {
      {"i", TFieldType::ftInteger, 0},   {"iu", TFieldType::ftLargeint, 0},
      {"b", TFieldType::ftBoolean, 0},   {"t", TFieldType::ftSmallint, 0},
      {"tu", TFieldType::ftWord, 0},     {"s", TFieldType::ftSmallint, 0},
      {"su", TFieldType::ftWord, 0},     {"m", TFieldType::ftInteger, 0},
      {"bi", TFieldType::ftLargeint, 0}, {"bt", TFieldType::ftLargeint, 0},
      {"y", TFieldType::ftWord, 0},      {"dc", TFieldType::ftFloat, 0},
      {"f", TFieldType::ftFloat, 0},     {"db", TFieldType::ftFloat, 0},
      {"d", TFieldType::ftDate, 0},      {"tm", TFieldType::ftTime, 0},
      {"dt", TFieldType::ftDateTime, 0}, {"ts", TFieldType::ftDateTime, 0},
      {"c", TFieldType::ftString, 10},   {"vc", TFieldType::ftString, 300},
      {"e", TFieldType::ftString, 1},    {"st", TFieldType::ftString, 3},
      {"tx", TFieldType::ftMemo, 0},     {"bl", TFieldType::ftBlob, 0},
      {"vb", TFieldType::ftString, 10},  {"NULL", TFieldType::ftString, 0},
  };
  std::string columns;
  for (const TCase& c : cases) columns += std::string(columns.empty() ? "" : ", ") + c.Column;
  TField& first = Field(1, columns);
  (void)first;
  ASSERT_EQ(FQuery.Fields.Count(), static_cast<int>(std::size(cases)));
  for (int i = 0; i < FQuery.Fields.Count(); ++i) {
    SCOPED_TRACE(cases[i].Column);
    EXPECT_EQ(FQuery.Fields[i].FieldName(), cases[i].Column);
    EXPECT_EQ(FQuery.Fields[i].DataType(), cases[i].Type);
    EXPECT_EQ(FQuery.Fields[i].Size(), cases[i].Size);
  }
}

TEST_F(MariaDbFields, AccessorsReadEveryKindOfValue) {
  constexpr int kRaises = INT32_MIN + 1;  // marks an AsInteger that must raise
  struct TCase {
    const char* Column;
    const char* Text;
    int32_t Integer;
  } cases[] = {
      {"i", "-2147483648", INT32_MIN},
      {"iu", "4294967295", -1},  // the low 32 bits of the 64-bit field
      {"b", "True", kRaises},
      {"t", "-5", -5},
      {"tu", "200", 200},
      {"s", "-300", -300},
      {"su", "65535", 65535},
      {"m", "-8388608", -8388608},
      {"bi", "-9223372036854775808", 0},
      {"biu", "-1", -1},  // above the signed range: wraps, no error
      {"bt", "513", 513},
      {"y", "2024", 2024},
      {"dc", "12.5", 12},
      {"f", "1.5", 2},
      {"db", "2.5", 2},  // halves to even
      {"d", "01.03.2015", kRaises},
      {"tm", "12:30:00", kRaises},
      {"dt", "01.05.2012 10:20:30", kRaises},
      {"ts", "01.05.2012 10:20:30", kRaises},
      {"c", "ab", kRaises},
      {"vc", "ab   ", kRaises},
      {"e", "b", kRaises},
      {"st", "x,y", kRaises},
      {"tx", "memo", kRaises},
      {"bl", nullptr, kRaises},  // the blob's zero byte, 0xFF and "A"
      {"vb", "xy", kRaises},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Column);
    TField& field = Field(1, c.Column);
    std::string expected = c.Text ? std::string(c.Text) : std::string("\0\xFF\x41", 3);
    EXPECT_EQ(field.AsString(), expected);
    if (c.Integer == kRaises) {
      EXPECT_ANY_THROW(field.AsInteger());
    } else {
      EXPECT_EQ(field.AsInteger(), c.Integer);
    }
  }

  if (auto e = mysqltest::Raised<EDatabaseError>([&] { Field(1, "b").AsInteger(); })) {
    EXPECT_STREQ(e->what(), "Cannot access field 'b' as type Integer");
  }
  if (auto e = mysqltest::Raised<EConvertError>([&] { Field(1, "vc").AsInteger(); })) {
    EXPECT_STREQ(e->what(), "'ab   ' is not a valid integer value");
  }
  EXPECT_THROW(Field(1, "i").AsDateTime(), EDatabaseError);

  const double kDay = 1.0, kSecond = 1.0 / 86400;
  EXPECT_DOUBLE_EQ(Field(1, "d").AsDateTime(), 42064 * kDay);
  EXPECT_NEAR(Field(1, "dt").AsDateTime(), 41030 + (10 * 3600 + 20 * 60 + 30) * kSecond, 1e-9);
  EXPECT_NEAR(Field(1, "ts").AsDateTime(), 41030 + (10 * 3600 + 20 * 60 + 30) * kSecond, 1e-9);
  EXPECT_NEAR(Field(1, "tm").AsDateTime(), -(12.0 / 24 + 30.0 / 1440), 1e-9);
  // A TIMESTAMP with fractions of a second reads as its whole seconds.
  EXPECT_NEAR(Field(1, "ts3").AsDateTime(), 41030 + (10 * 3600 + 20 * 60 + 30) * kSecond, 1e-9);
}

TEST_F(MariaDbFields, NullsEmptyTextsAndImpossibleDates) {
  // Row 2 is NULL everywhere but n.
  for (const char* column : {"i", "iu", "t", "bi", "dc"}) {
    SCOPED_TRACE(column);
    TField& field = Field(2, column);
    EXPECT_TRUE(field.IsNull());
    EXPECT_EQ(field.AsInteger(), 0);
    EXPECT_EQ(field.AsString(), "");
  }
  for (const char* column : {"d", "dt", "ts", "tm"}) {
    SCOPED_TRACE(column);
    EXPECT_EQ(Field(2, column).AsDateTime(), 0.0);
    EXPECT_EQ(Field(2, column).AsString(), "");
  }
  EXPECT_EQ(Field(2, "b").AsString(), "");
  if (auto e = mysqltest::Raised<EConvertError>([&] { Field(2, "vc").AsInteger(); })) {
    EXPECT_STREQ(e->what(), "'' is not a valid integer value");
  }

  // Row 3: an empty text is not NULL; the zero date and 30 February are.
  EXPECT_FALSE(Field(3, "vc").IsNull());
  EXPECT_TRUE(Field(2, "vc").IsNull());
  // Row 3: zero DATE, 30 February DATETIME, zero TIMESTAMP; row 4: zero
  // DATETIME, 30 February DATE.
  for (auto [row, column] : {std::pair{3, "d"}, {3, "dt"}, {3, "ts"}, {4, "dt"}, {4, "d"}}) {
    SCOPED_TRACE(std::to_string(row) + column);
    EXPECT_TRUE(Field(row, column).IsNull());
    EXPECT_EQ(Field(row, column).AsDateTime(), 0.0);
    EXPECT_EQ(Field(row, column).AsString(), "");
  }
  EXPECT_NEAR(Field(3, "tm").AsDateTime(), 123.0 / 24 + (45 * 60 + 6) / 86400.0, 1e-9);
}

TEST_F(MariaDbFields, ZeroByteEndsATextButNotAMemo) {
  FQuery.SQL.SetText(
      "SELECT CONCAT('ab', CHAR(0), 'cd'), CAST(CONCAT('ab', CHAR(0), 'cd') AS BINARY),"
      " CONCAT('abcdefghijk', CHAR(0), 'x'), REPEAT('long', 5)");
  FQuery.Execute();
  EXPECT_EQ(FQuery.Fields[0].AsString(), "ab");
  EXPECT_EQ(FQuery.Fields[1].AsString(), "ab");
  EXPECT_EQ(FQuery.Fields[2].AsString(), "abcdefghijk");
  EXPECT_EQ(FQuery.Fields[3].AsString(), "longlonglonglonglong");
  mysqltest::Run(FConnection, "UPDATE kinds SET tx = CONCAT('m', CHAR(0), 'n') WHERE n = 3");
  EXPECT_EQ(Field(3, "tx").AsString(), std::string("m\0n", 3));
}

TEST_F(MariaDbFields, WindowsCyrillicTravelsUnchanged) {
  std::string text = platform::Utf8ToCp1251("Объект «Ёлка» — №5");
  mysqltest::Run(FConnection, "DROP TABLE IF EXISTS cyr");
  mysqltest::Run(FConnection, "CREATE TABLE cyr (v VARCHAR(50)) CHARACTER SET utf8mb4");
  mysqltest::Run(FConnection, "INSERT INTO cyr VALUES ('" + text + "')");
  FQuery.SQL.SetText("SELECT v, HEX(CONVERT(v USING utf8mb4)) FROM cyr");
  FQuery.Execute();
  EXPECT_EQ(FQuery.Fields[0].AsString(), text);
  std::string utf8 = platform::Cp1251ToUtf8(text), hex;
  for (unsigned char ch : utf8) {
    static const char* kDigits = "0123456789ABCDEF";
    hex += kDigits[ch >> 4];
    hex += kDigits[ch & 15];
  }
  EXPECT_EQ(FQuery.Fields[1].AsString(), hex);  // the server holds the right letters
}

TEST_F(MariaDbFields, LongValuesAndLongStatementsCrossPacketBounds) {
  FQuery.SQL.SetText("SELECT vc FROM kinds WHERE n = 3");
  mysqltest::Run(FConnection, "UPDATE kinds SET vc = REPEAT('z', 300) WHERE n = 3");
  FQuery.Execute();
  EXPECT_EQ(FQuery.Fields[0].AsString(), std::string(300, 'z'));

  // A statement over 16 MiB goes out in pieces; a value over 16 MiB comes
  // back in joined packets.
  std::string big(17 * 1024 * 1024, 'q');
  FQuery.SQL.SetText("SELECT LENGTH('" + big + "'), REPEAT('w', 17000000)");
  FQuery.Execute();
  EXPECT_EQ(FQuery.Fields[0].AsInteger(), static_cast<int32_t>(big.size()));
  std::string w = FQuery.Fields[1].AsString();
  EXPECT_EQ(w.size(), 17000000u);
  EXPECT_EQ(w.find_first_not_of('w'), std::string::npos);
}

}  // namespace
