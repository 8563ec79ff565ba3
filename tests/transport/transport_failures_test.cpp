// One table of transport failures, played through the MySQL client's
// transport and the HTTP session: both must report the same socket error
// number for the same fault, since both stand on the same TCP endpoint.
#include <gtest/gtest.h>

#include <functional>
#include <regex>
#include <string>

#include "http/exceptions.h"
#include "http/session.h"
#include "mysql/vio_tcp.h"
#include "tests/http/post_outcome.h"
#include "tests/support/loopback.h"
#include "tests/support/scripted_server.h"

namespace {

using testsupport::TScript;
using testsupport::TScriptedServer;

// The number in a MySQL transport detail ("... WSAGetLastError return N($X)"),
// or 0 when there is none.
int MySqlNumber(const std::string& detail) {
  std::smatch found;
  if (!std::regex_search(detail, found, std::regex("return (\\d+)\\(\\$"))) return 0;
  return std::stoi(found[1]);
}

// What the MySQL transport reports: connect, then read a greeting's header.
int ThroughMySql(const std::string& host, int port) {
  TVioTcp vio(host, port);
  vio.SetTimeout(1);
  if (vio.Connect()) {
    char header[4];
    if (vio.Read(header, sizeof header) == sizeof header) return 0;
  }
  if (vio.LastError() == "Connection timed out") return 10060;
  return MySqlNumber(vio.LastError());
}

// What the HTTP session reports for one POST.
int ThroughHttp(const std::string& host, int port, std::string& message) {
  TIdHTTP http;
  http.ReadTimeout = 1000;
  TPostOutcome out = Outcome([&] {
    return http.HttpPost("http://" + host + ":" + std::to_string(port) + "/", TIdStream("x"));
  });
  message = out.Message;
  if (out.Error == "EIdReadTimeout") return 10060;  // the read limit ran out
  return out.Error == "EIdSocketError" ? out.Code : 0;
}

}  // namespace

TEST(TransportFailures, BothClientsGiveTheSameSocketErrorNumbers) {
  struct Case {
    const char* name;
    const char* host;
    // Scripts one connection of the server; null: nobody listens.
    std::function<void(TScript&)> script;
    bool port_zero;
    int wsa;
  };
  const Case cases[] = {
      {"refused", "127.0.0.1", nullptr, false, 10061},
      {"reset", "127.0.0.1", [](TScript& s) { s.Sleep(100).Reset(); }, false, 10054},
      {"timed out", "127.0.0.1", [](TScript& s) { s.Sleep(2500).Close(); }, false, 10060},
      {"port 0", "127.0.0.1", nullptr, true, 10049},
      // Last: a machine without a name service skips from here on.
      {"unknown host", "no-such-host.invalid", nullptr, false, 11001},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TScriptedServer server;
    int port = c.port_zero ? 0 : testsupport::ClosedLoopbackPort();
    if (c.script) {
      c.script(server.AddConnection());
      c.script(server.AddConnection());
      port = server.Port();
    }
    const int mysql = ThroughMySql(c.host, port);
    std::string message;
    const int http = ThroughHttp(c.host, port, message);
    // A resolver that cannot be asked, or does not answer in time.
    auto unreachable = [](int wsa) { return wsa == 11002 || wsa == 10060; };
    if (c.wsa == 11001 && (unreachable(mysql) || unreachable(http))) {
      GTEST_SKIP() << "the name service cannot be reached here";
    }
    EXPECT_EQ(mysql, c.wsa);
    EXPECT_EQ(http, c.wsa) << message;
  }
}
