// The connection phase against scripted servers: login packet bytes, the
// pre-4.1 road, the password exchanges a real server cannot be made to
// use, protocol and sequence faults, and the quit command.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "mysql/db_errors.h"
#include "mysql/my_connection.h"
#include "mysql/password_scramble.h"
#include "platform/text_codec.h"
#include "tests/mysql/raised.h"
#include "tests/support/scripted_mysql.h"

namespace {

using mysqltest::Ok;
using mysqltest::Packet;
using mysqltest::SplitPackets;

const std::string kScramble = "ABCDEFGHIJKLMNOPQRST";

void Point(TMyConnection& connection, const testsupport::TScriptedServer& server,
           const std::string& password = "secret") {
  connection.SetServer("127.0.0.1");
  connection.SetPort(server.Port());
  connection.SetUsername("halvex");
  connection.SetPassword(password);
  connection.SetDatabase("velmora");
  connection.Options().SetCharset("cp1251");
  connection.SetConnectionTimeout(5);
}

// The packets a client sends for a connect and a disconnect against a server
// scripted with a 4.1 login and the quit; `configure` adjusts the connection
// after Point.
std::vector<mysqltest::TSentPacket> LoginAndQuit(
    const std::function<void(TMyConnection&)>& configure) {
  testsupport::TScriptedServer server;
  auto& script = server.AddConnection();
  mysqltest::ScriptLogin41(script, kScramble);
  script.ReadMySqlPacket();  // the quit
  TMyConnection connection;
  Point(connection, server);
  configure(connection);
  connection.Connect();
  EXPECT_TRUE(connection.Connected());
  connection.Disconnect();
  EXPECT_TRUE(server.WaitDone());
  return SplitPackets(server.Received(0));
}

std::string AsBytes(const TSha1Digest& d) {
  return std::string(reinterpret_cast<const char*>(d.data()), d.size());
}

TEST(ScriptedLogin, LoginPacketCharacterSetStatementAndQuitOnA41Server) {
  // The greeting offers CLIENT_COMPRESS; Options.Compress changes nothing,
  // since asking for it would switch the server to a framing this client
  // does not read.
  for (bool compress : {false, true}) {
    SCOPED_TRACE(compress ? "Compress on" : "Compress off");
    auto sent = LoginAndQuit(
        [compress](TMyConnection& connection) { connection.Options().SetCompress(compress); });
    ASSERT_EQ(sent.size(), 3u);
    std::string expected_login = std::string("\x8F\xA2\x03\x00", 4)    // flags 238223
                                 + std::string("\x00\x00\x00\x40", 4)  // 1073741824
                                 + '\x08' + std::string(23, '\0') + "halvex" + '\0' + '\x14' +
                                 AsBytes(Scramble41("secret", kScramble)) + "velmora" + '\0';
    EXPECT_EQ(sent[0].Seq, 1);
    EXPECT_EQ(sent[0].Payload, expected_login);
    EXPECT_EQ(sent[1].Seq, 0);
    EXPECT_EQ(sent[1].Payload, "\x03SET NAMES cp1251");
    EXPECT_EQ(sent[2].Seq, 0);
    EXPECT_EQ(sent[2].Payload, "\x01");  // quit, no reply awaited
  }
}

TEST(ScriptedLogin, Pre41ServerGetsTheShortLoginAndNoCharacterSetStatement) {
  testsupport::TScriptedServer server;
  server.AddConnection()
      .Send(mysqltest::GreetingPre41("abcdefgh"))
      .ReadMySqlPacket()
      .Send(Ok(2))
      .ReadMySqlPacket();
  TMyConnection connection;
  Point(connection, server);
  connection.Connect();
  EXPECT_EQ(connection.ServerVersion(), "4.0.27-log");
  connection.Disconnect();
  ASSERT_TRUE(server.WaitDone());

  auto sent = SplitPackets(server.Received(0));
  ASSERT_EQ(sent.size(), 2u);
  // 2-byte flags without the 4.1 bits, 3-byte maximum packet 0, the 9-byte
  // old scramble, the database.
  uint16_t flags = uint8_t(sent[0].Payload[0]) | (uint8_t(sent[0].Payload[1]) << 8);
  EXPECT_EQ(flags, (238223 & 0xFFFF) & ~512);
  EXPECT_EQ(sent[0].Payload.substr(2), std::string(3, '\0') + "halvex" + '\0' +
                                           ScrambleOld("secret", "abcdefgh") + "velmora" + '\0');
  EXPECT_EQ(sent[1].Payload, "\x01");
}

TEST(ScriptedLogin, PasswordExchangesThatFollowTheLoginReply) {
  std::string two_step(24, '\0');
  two_step[0] = 'Q';
  for (int i = 4; i < 24; ++i) two_step[i] = char(0x30 + i);
  std::string star = "*" + two_step.substr(1);

  std::string expected_two_step;
  {
    TSha1Digest p = Sha1("secret");
    TSha1 sha;
    sha.Update(two_step.substr(0, 4));
    sha.Update(p);
    TSha1Digest t = sha.Final();
    for (int i = 0; i < 20; ++i) expected_two_step += char(uint8_t(two_step[4 + i]) ^ t[i] ^ p[i]);
  }
  struct TCase {
    const char* Name;
    std::string Reply;
    std::string Answer;  // "" when the client must send nothing more
  } cases[] = {
      {"old-hash switch", "\xFE", ScrambleOld("secret", kScramble.substr(0, 8))},
      {"two-step", two_step, expected_two_step},
      {"two-step, old form", star, ScrambleOld("secret", star.substr(4, 8))},
      {"plugin switch taken as OK", std::string("\xFEmysql_native_password\0", 23) + kScramble, ""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    testsupport::TScriptedServer server;
    auto& script = server.AddConnection();
    script.Send(mysqltest::Greeting41(kScramble)).ReadMySqlPacket().Send(Packet(2, c.Reply));
    if (!c.Answer.empty()) script.ReadMySqlPacket().Send(Ok(4));
    script.ReadMySqlPacket().Send(Ok(1));
    TMyConnection connection;
    Point(connection, server);
    EXPECT_NO_THROW(connection.Connect());
    EXPECT_TRUE(connection.Connected());
    connection.Disconnect();
    ASSERT_TRUE(server.WaitDone());
    auto sent = SplitPackets(server.Received(0));
    if (!c.Answer.empty()) {
      ASSERT_GE(sent.size(), 2u);
      EXPECT_EQ(sent[1].Seq, 3);
      EXPECT_EQ(sent[1].Payload, c.Answer);
    } else {
      ASSERT_GE(sent.size(), 2u);
      EXPECT_EQ(sent[1].Payload, "\x03SET NAMES cp1251");
    }
  }
}

TEST(ScriptedLogin, EmptyPasswordSendsOneZeroByte) {
  testsupport::TScriptedServer server;
  mysqltest::ScriptLogin41(server.AddConnection(), kScramble);
  TMyConnection connection;
  Point(connection, server, "");
  connection.Connect();
  connection.Disconnect();
  ASSERT_TRUE(server.WaitDone());
  auto sent = SplitPackets(server.Received(0));
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent[0].Payload.substr(32), std::string("halvex\0\0velmora\0", 16));
}

TEST(ScriptedLogin, FaultsOfTheConnectionPhase) {
  struct TCase {
    const char* Name;
    std::string Greeting;
    std::string Reply;
    int Code;
    std::string Message;
  } cases[] = {
      {"protocol 9", mysqltest::Greeting41(kScramble, "5.0.0", 0xF7FE, 9), "", 2007,
       "Protocol mismatch. Server Version = %d Client Version = %d"},
      {"reply out of order", mysqltest::Greeting41(kScramble), Ok(5), 1156,
       "\r\nReceiveHeader: Net packets out of order: received[5], expected[2]"},
      {"error instead of greeting", mysqltest::Err(0, 1040, "Too many connections"), "", 1040,
       "\r\nToo many connections"},
      {"closed after login", mysqltest::Greeting41(kScramble), "", 2013,
       "Lost connection to MySQL server during query"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    testsupport::TScriptedServer server;
    auto& script = server.AddConnection();
    script.Send(c.Greeting).ReadMySqlPacket();
    if (!c.Reply.empty()) script.Send(c.Reply);
    TMyConnection connection;
    Point(connection, server);
    if (auto e = mysqltest::Raised<EMyError>([&] { connection.Connect(); })) {
      EXPECT_EQ(e->ErrorCode(), c.Code);
      EXPECT_EQ(std::string(e->what()), c.Message);
    }
    EXPECT_FALSE(connection.Connected());
  }
}

TEST(ScriptedLogin, Utf8CharsetInCapitalsLogsInAsUtf8AndSendsTheTextUnchanged) {
  auto sent = LoginAndQuit([](TMyConnection& connection) {
    connection.SetServer("127.0.0.1,backup-host");  // only the part before the comma is used
    connection.SetUsername(platform::Utf8ToCp1251("Оператор"));
    connection.Options().SetCharset("UTF8");
  });
  ASSERT_EQ(sent.size(), 3u);
  EXPECT_EQ(sent[0].Payload[8], 33);
  EXPECT_EQ(sent[0].Payload.substr(32, 17), std::string("Оператор") + '\0');
  EXPECT_EQ(sent[1].Payload, "\x03SET NAMES UTF8");
}

TEST(ScriptedLogin, UnreadableServerVersionFailsTheConnect) {
  for (const char* version : {"beta", "5.x.1", "5.1"}) {
    SCOPED_TRACE(version);
    testsupport::TScriptedServer server;
    server.AddConnection()
        .Send(mysqltest::Greeting41(kScramble, version))
        .ReadMySqlPacket()
        .Send(Ok(2))
        .ReadMySqlPacket();
    TMyConnection connection;
    Point(connection, server);
    EXPECT_THROW(connection.Connect(), EConvertError);
    EXPECT_FALSE(connection.Connected());
  }
}

}  // namespace
