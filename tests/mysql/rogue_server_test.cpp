// Servers that break the protocol on purpose: packets out of order, values
// and definitions that run past their packet, greetings that make no sense,
// packets announced at 16 MiB and more that are cut short or never end. The
// client must fail with a clean EMyError, stay in step (or drop the
// connection), and never hold much more memory than what actually arrived.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "mysql/client_errors.h"
#include "mysql/db_errors.h"
#include "mysql/my_connection.h"
#include "mysql/my_net.h"
#include "mysql/my_query.h"
#include "tests/mysql/raised.h"
#include "tests/support/scripted_mysql.h"

namespace {

using mysqltest::ColumnDef41;
using mysqltest::Eof;
using mysqltest::LengthCoded;
using mysqltest::LengthCodedString;
using mysqltest::Packet;
using mysqltest::ResultSet;
using mysqltest::TColumn;
using mysqltest::TValue;

constexpr uint8_t kLong = 3, kBlob = 252;
constexpr size_t kMaxPacket = 0xFFFFFF;

void Point(TMyConnection& connection, const testsupport::TScriptedServer& server) {
  connection.SetServer("127.0.0.1");
  connection.SetPort(server.Port());
  connection.Options().SetCharset("cp1251");
  connection.SetConnectionTimeout(5);
}

std::string Header(size_t length, uint8_t seq) {
  return std::string{char(length & 0xFF), char((length >> 8) & 0xFF), char((length >> 16) & 0xFF),
                     char(seq)};
}

// The answer to "SELECT id, n FROM obj" from sequence 1 whose first row is
// `first_row`, followed by a good row and the end of the rows unless the
// first row was an error packet that ends the answer.
std::string AnswerWithFirstRow(const std::string& first_row, bool ends = false,
                               uint8_t first_row_seq = 5) {
  const TColumn id{"id", kLong, 11}, n{"n", kLong, 11};
  std::string answer = Packet(1, LengthCoded(2)) + ColumnDef41(2, id) + ColumnDef41(3, n) + Eof(4) +
                       Packet(first_row_seq, first_row);
  if (!ends) answer += mysqltest::Row(6, {TValue("2"), TValue("3")}) + Eof(7);
  return answer;
}

TEST(RogueServer, FaultyAnswersFailTheStatementAndTheNextOneIsRightAgain) {
  const TColumn id{"id", kLong, 11};
  struct TCase {
    const char* Name;
    std::string Answer;  // the answer to the first statement
    int Code;
    const char* Message;
    bool Dropped;  // the connection is dropped: the next statement connects again
  } cases[] = {
      {"row value longer than its packet", AnswerWithFirstRow(LengthCoded(9) + "12"), 2027,
       "Malformed packet", true},
      {"row value with the length prefix 255", AnswerWithFirstRow(LengthCodedString("1") + "\xFF"),
       2027, "Malformed packet", true},
      {"error packet too short for a code", AnswerWithFirstRow("\xFF" + std::string("1")), 2027,
       "Malformed packet", true},
      {"error packet with the code 0",
       AnswerWithFirstRow(std::string("\xFF\0\0", 3) + "boom", true), 2000,
       "Unknown MySQL error\r\nboom", false},
      {"row out of order",
       AnswerWithFirstRow(mysqltest::Row(0, {TValue("1"), TValue("1")}).substr(4), false, 9), 1156,
       "\r\nReceiveHeader: Net packets out of order: received[9], expected[5]", true},
      {"column definition cut short",
       Packet(1, LengthCoded(1)) + Packet(2, LengthCodedString("def") + LengthCoded(9) + "velm") +
           Eof(3) + mysqltest::Row(4, {TValue("1")}) + Eof(5),
       2027, "Malformed packet", true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    testsupport::TScriptedServer server;
    auto& first = server.AddConnection();
    mysqltest::ScriptLogin41(first, "ABCDEFGHIJKLMNOPQRST");
    first.ReadMySqlPacket().Send(c.Answer).ReadMySqlPacket().Send(ResultSet({id}, {{TValue("2")}}));
    auto& second = server.AddConnection();
    mysqltest::ScriptLogin41(second, "ABCDEFGHIJKLMNOPQRST");
    second.ReadMySqlPacket().Send(ResultSet({id}, {{TValue("7")}})).ReadMySqlPacket();

    TMyConnection connection;
    Point(connection, server);
    TMyQuery query;
    query.SetConnection(&connection);
    query.SQL.SetText("SELECT id, n FROM obj");
    if (auto e = mysqltest::Raised<EMyError>([&] { query.Execute(); })) {
      EXPECT_EQ(e->ErrorCode(), c.Code);
      EXPECT_EQ(std::string(e->what()), c.Message);
    }
    EXPECT_FALSE(query.Active());
    EXPECT_EQ(connection.Connected(), !c.Dropped);
    query.Execute();
    ASSERT_TRUE(query.Active());
    EXPECT_EQ(query.Fields[0].AsInteger(), c.Dropped ? 7 : 2);
  }
}

TEST(RogueServer, AbsurdGreetingsFailTheConnectCleanly) {
  std::string good = mysqltest::Greeting41("ABCDEFGHIJKLMNOPQRST").substr(4);
  struct TCase {
    const char* Name;
    std::string Bytes;
    int Code;
    const char* Message;
  } cases[] = {
      {"empty greeting", Packet(0, ""), 2027, "Malformed packet"},
      {"cut inside the scramble", Packet(0, good.substr(0, good.find('\0') + 1 + 4 + 5)), 2027,
       "Malformed packet"},
      {"version text filling the packet", Packet(0, "\x0A" + std::string(70000, '5')), 2027,
       "Malformed packet"},
      {"greeting announced at 16 MiB, then closed", Header(kMaxPacket, 0) + good, 2013,
       "Lost connection to MySQL server during query"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    testsupport::TScriptedServer server;
    server.AddConnection().Send(c.Bytes).Close();
    TMyConnection connection;
    Point(connection, server);
    if (auto e = mysqltest::Raised<EMyError>([&] { connection.Connect(); })) {
      EXPECT_EQ(e->ErrorCode(), c.Code);
      EXPECT_EQ(std::string(e->what()).substr(0, std::strlen(c.Message)), c.Message);
    }
    EXPECT_FALSE(connection.Connected());
  }
}

TEST(RogueServer, RowContinuedOverTwoPhysicalPacketsIsJoinedOrLostWhenCutShort) {
  // A blob value that makes the row payload longer than one packet can carry.
  std::string value(kMaxPacket + 100, 'v');
  value[0] = 'a';
  value.back() = 'z';
  std::string payload = LengthCoded(value.size()) + value;
  std::string first_piece = Header(kMaxPacket, 4) + payload.substr(0, kMaxPacket);
  std::string rest = payload.substr(kMaxPacket);
  for (bool cut : {false, true}) {
    SCOPED_TRACE(cut ? "cut short in the second piece" : "whole");
    std::string rows = first_piece + Header(rest.size(), 5) +
                       (cut ? rest.substr(0, rest.size() / 2) : rest + Eof(6));
    testsupport::TScriptedServer server;
    auto& script = server.AddConnection();
    mysqltest::ScriptLogin41(script, "ABCDEFGHIJKLMNOPQRST");
    script.ReadMySqlPacket().Send(Packet(1, LengthCoded(1)) +
                                  ColumnDef41(2, {"m", kBlob, 0xFFFFFFFF, 0x90, 63}) + Eof(3) +
                                  rows);
    if (!cut) script.ReadMySqlPacket();
    TMyConnection connection;
    Point(connection, server);
    TMyQuery query;
    query.SetConnection(&connection);
    query.SQL.SetText("SELECT m FROM maps");
    if (cut) {
      if (auto e = mysqltest::Raised<EMyError>([&] { query.Execute(); })) {
        EXPECT_EQ(e->ErrorCode(), 2013);
      }
      EXPECT_FALSE(connection.Connected());
      continue;
    }
    query.Execute();
    ASSERT_EQ(query.RecordCount(), 1);
    EXPECT_EQ(query.Fields[0].AsString(), value);
  }
}

// A transport that hands out a prepared byte string, then reports the peer
// gone; or, when endless, keeps sending full-size packets of zero bytes.
class TBytesVio final : public TMyVio {
 public:
  explicit TBytesVio(std::string bytes, bool endless = false)
      : FBytes(std::move(bytes)), FEndless(endless) {}
  void SetTimeout(int) override {}
  bool Connect() override { return true; }
  size_t Read(char* dest, size_t n) override {
    size_t done = 0;
    while (done < n) {
      if (FPos == FBytes.size()) {
        if (!FEndless) break;
        FBytes = Header(kMaxPacket, FSequence++) + std::string(kMaxPacket, '\0');
        FPos = 0;
      }
      size_t take = std::min(n - done, FBytes.size() - FPos);
      std::memcpy(dest + done, FBytes.data() + FPos, take);
      FPos += take;
      done += take;
      Delivered += take;
    }
    return done;
  }
  bool ReadBuffered(size_t, const char*&) override { return false; }
  size_t Write(const char*, size_t n) override { return n; }
  void Close() override {}
  const std::string& LastError() const override { return FError; }
  size_t Delivered = 0;

 private:
  std::string FBytes;
  bool FEndless;
  size_t FPos = 0;
  uint8_t FSequence = 1;
  std::string FError;
};

TEST(RogueServer, PacketLayerHoldsNoMoreThanArrivedAndRefusesEndlessPackets) {
  {
    SCOPED_TRACE("16 MiB announced, 1000 bytes sent");
    TMySqlNet net;
    net.SetVio(std::make_unique<TBytesVio>(Header(kMaxPacket, 0) + std::string(1000, 'x')));
    if (auto e = mysqltest::Raised<mysql_client::EMySqlException>([&] { net.ReadPacket(); })) {
      EXPECT_EQ(e->Code(), 2013);
    }
    EXPECT_LT(net.BufferBytes(), size_t{64 * 1024});
  }
  {
    SCOPED_TRACE("full-size packets without end");
    TMySqlNet net(3 * kMaxPacket);
    auto vio =
        std::make_unique<TBytesVio>(Header(kMaxPacket, 0) + std::string(kMaxPacket, '\0'), true);
    TBytesVio& source = *vio;
    net.SetVio(std::move(vio));
    if (auto e = mysqltest::Raised<mysql_client::EMySqlException>([&] { net.ReadPacket(); })) {
      EXPECT_EQ(e->Code(), 2020);
      EXPECT_STREQ(e->what(), "Got packet bigger than 'max_allowed_packet'");
    }
    EXPECT_LE(source.Delivered, 3 * (kMaxPacket + 4) + 4);  // and the header refused
    EXPECT_LE(net.BufferBytes(), 2 * source.Delivered);
  }
}

}  // namespace
