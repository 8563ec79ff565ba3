// The session's secure transport against a scripted server that does not
// speak TLS: what leaves before the server is verified, and how the failure
// reads. Verification against real certificates runs in the console
// runner's tests, against the stand-in serving https.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "http/session.h"
#include "platform/tls_trust.h"
#include "tests/http/post_outcome.h"
#include "tests/http/run_setup.h"
#include "tests/support/scripted_server.h"

TEST(SecureTransport, OnlyAHandshakeLeavesBeforeTheServerIsVerified) {
  struct Case {
    const char* host;
    bool names_host_in_hello;  // SNI carries names, never addresses
  };
  for (const Case& c : {Case{"localhost", true}, Case{"127.0.0.1", false}}) {
    SCOPED_TRACE(c.host);
    testsupport::TScriptedServer server;
    // A plain HTTP server answering whatever arrives.
    server.AddConnection().Sleep(100).ReadBytes(5).Send("HTTP/1.0 200 OK\r\n\r\nplain").Close();
    TIdHTTP http;
    SetUpLikeTheRun(http);
    http.ReadTimeout = 3000;
    http.IOHandler = std::make_shared<platform::TTlsTrust>();
    TPostOutcome out = Outcome([&] {
      return http.HttpPost(
          "https://" + std::string(c.host) + ":" + std::to_string(server.Port()) + "/restapi/x/",
          {"{\"a\":1}"});
    });
    ASSERT_TRUE(server.WaitDone());
    EXPECT_EQ(out.Error, "EIdException");
    EXPECT_EQ(out.Message, "SSL negotiation failed: wrong version number");
    const std::string sent = server.Received(0);
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent[0], '\x16');  // a TLS handshake record
    EXPECT_EQ(sent.find("Authorization"), std::string::npos);
    EXPECT_EQ(sent.find("POST"), std::string::npos);
    EXPECT_EQ(sent.find("localhost") != std::string::npos, c.names_host_in_hello);
    EXPECT_FALSE(http.Connected());
  }
}
