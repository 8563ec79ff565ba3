// Hostile servers the session must survive with bounded memory and time: a
// header line far beyond the line limit, a chunked body that never ends,
// interim answers that never end, and floods of cookies.
#include <gtest/gtest.h>

#include <string>

#include "http/cookie_manager.h"
#include "http/session.h"
#include "tests/http/post_outcome.h"
#include "tests/support/scripted_server.h"

namespace {

using testsupport::TScriptConnection;

class RogueServer : public ::testing::Test {
 protected:
  TPostOutcome Post(const std::string& path = "restapi/x/") {
    std::string url = "http://127.0.0.1:" + std::to_string(server.Port()) + "/" + path;
    return Outcome([&] { return http.HttpPost(url, TIdStream("{}")); });
  }
  // A reply the session reads without fault, to show it is still usable.
  void AddPlainReply() {
    server.AddConnection().ReadHttpRequest().Send("HTTP/1.0 200 OK\r\n\r\nfine").Close();
  }
  testsupport::TScriptedServer server;
  TIdHTTP http;
};

// Sends `block` again and again until the client goes away.
testsupport::TScript::TStep SendForever(std::string block) {
  return [block = std::move(block)](TScriptConnection& c) {
    while (c.Send(block)) {
    }
    return false;
  };
}

}  // namespace

TEST_F(RogueServer, HeaderLineOf100000BytesExceedsTheLineLimit) {
  server.AddConnection()
      .ReadHttpRequest()
      .Send("HTTP/1.1 200 OK\r\nX-Long: " + std::string(100000, 'a') +
            "\r\nContent-Length: 2\r\n\r\nok")
      .Close();
  AddPlainReply();
  TPostOutcome out = Post();
  EXPECT_EQ(out.Error, "EIdReadLnMaxLineLengthExceeded");
  EXPECT_EQ(out.Message, "Max line length exceeded.");
  EXPECT_EQ(http.StatusLine(), "HTTP/1.1 200 OK");
  EXPECT_FALSE(http.Connected());
  EXPECT_EQ(Post().Body, "fine");
}

TEST_F(RogueServer, EndlessStreamsStopAtTheirCaps) {
  struct Case {
    const char* name;
    std::string head;
    std::string block;  // repeated until the client gives up
    std::string message;
  };
  const std::string chunk = "8000\r\n" + std::string(0x8000, 'c') + "\r\n";
  const Case cases[] = {
      {"chunks without end", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n", chunk,
       "Response body too large"},
      {"interim answers without end", "", "HTTP/1.1 100 Continue\r\n\r\n",
       "Response header too large"},
  };
  for (const Case& c : cases) {
    server.AddConnection().ReadHttpRequest().Send(c.head).Do(SendForever(c.block));
  }
  AddPlainReply();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TPostOutcome out = Post();
    EXPECT_EQ(out.Error, "EIdException");
    EXPECT_EQ(out.Message, c.message);
    EXPECT_FALSE(http.Connected());
  }
  EXPECT_EQ(Post().Body, "fine");
  EXPECT_TRUE(server.WaitDone());
}

TEST_F(RogueServer, CookieFloodKeepsTheStoreAndTheCookieLineBounded) {
  std::string flood = "HTTP/1.1 200 OK\r\nSet-Cookie: session=s1; Path=/\r\n";
  // A cookie of 1 MiB made of continuation lines, and one just over the
  // size bound on one line.
  flood += "Set-Cookie: huge=x\r\n";
  for (int i = 0; i < 1024; ++i) flood += " " + std::string(1023, 'h') + "\r\n";
  flood += " ; Path=/\r\n";
  flood +=
      "Set-Cookie: big=" + std::string(TIdCookieManager::kMaxCookieSize - 2, 'b') + "; Path=/\r\n";
  // Then a hundred thousand distinct cookies.
  for (int i = 0; i < 100000; ++i) {
    flood += "Set-Cookie: c" + std::to_string(i) + "=" + std::to_string(i) + "; Path=/\r\n";
  }
  server.AddConnection().ReadHttpRequest().Send(flood + "Content-Length: 0\r\n\r\n").Close();
  // A full store still takes new values for the names it holds.
  server.AddConnection()
      .ReadHttpRequest()
      .Send(
          "HTTP/1.1 200 OK\r\nSet-Cookie: SESSION=s2; Path=/\r\n"
          "Set-Cookie: c99999=late; Path=/\r\nContent-Length: 0\r\n\r\n")
      .Close();
  AddPlainReply();

  EXPECT_EQ(Post().Error, "");
  ASSERT_NE(http.CookieManager(), nullptr);
  EXPECT_EQ(http.CookieManager()->Count(), TIdCookieManager::kMaxCookiesPerDomain);
  EXPECT_EQ(Post().Error, "");
  EXPECT_EQ(Post().Body, "fine");
  ASSERT_TRUE(server.WaitDone());

  // Equal paths go out newest first: the first cookies up to the bound, the
  // session cookie replaced in place, nothing of the oversized or late ones.
  const size_t last = TIdCookieManager::kMaxCookiesPerDomain - 2;
  std::string second = server.Received(1);
  EXPECT_NE(second.find("\r\nCookie: c" + std::to_string(last) + "="), std::string::npos);
  EXPECT_NE(second.find("; c1=1; c0=0; session=s1\r\n"), std::string::npos);
  std::string third = server.Received(2);
  EXPECT_NE(third.find("; c0=0; SESSION=s2\r\n"), std::string::npos);
  EXPECT_EQ(third.find("late"), std::string::npos);
  EXPECT_EQ(third.find("huge="), std::string::npos);
  EXPECT_EQ(third.find("big="), std::string::npos);
  EXPECT_LT(third.size(), 4096u);
}
