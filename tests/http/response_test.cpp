// Responses as the session reads and judges them: bodies by length, chunks
// and close; error statuses and redirects; broken, slow, endless and hostile
// servers; connection failures; keep-alive; cookies set by the server.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <vector>

#include "http/cookie_manager.h"
#include "http/session.h"
#include "tests/http/post_outcome.h"
#include "tests/support/scripted_server.h"

namespace {

using testsupport::TScriptConnection;

class Responses : public ::testing::Test {
 protected:
  std::string Url(const std::string& path = "restapi/x/") const {
    return "http://127.0.0.1:" + std::to_string(server.Port()) + "/" + path;
  }
  TPostOutcome Post(const std::string& path = "restapi/x/") {
    return Outcome([&] { return http.HttpPost(Url(path), TIdStream("{}")); });
  }
  testsupport::TScriptedServer server;
  TIdHTTP http;
};

// Sends `total` bytes of filler in 1 MiB blocks, stopping when the client goes.
testsupport::TScript::TStep SendFiller(size_t total) {
  return [total](TScriptConnection& c) {
    const std::string block(1 << 20, 'z');
    for (size_t sent = 0; sent < total; sent += block.size()) {
      if (!c.Send(block)) break;
    }
    return false;
  };
}

// A socket bound to 127.0.0.1 at a free port; `addr` receives the address.
int BindLoopback(sockaddr_in& addr) {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  addr = sockaddr_in{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  return fd;
}

}  // namespace

TEST_F(Responses, StatusAndFramingDecideBodyOrError) {
  const std::string long_status = "HTTP/1.1 200 " + std::string(16385 - 13, 'O') + "\r\n\r\n";
  struct Case {
    const char* name;
    std::string reply;
    std::string body;  // expected body, when no error
    std::string error;
    std::string message;
    std::string status_line;
    std::string error_body = "";
  };
  const Case cases[] = {
      {"200 with length", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhelloEXTRA", "hello", "", "",
       "HTTP/1.1 200 OK"},
      {"201 with Location", "HTTP/1.1 201 Created\r\nLocation: /o/5\r\nContent-Length: 2\r\n\r\n{}",
       "", "EIdHTTPProtocolException", "HTTP/1.1 201 Created", "HTTP/1.1 201 Created", "{}"},
      {"201 without Location", "HTTP/1.1 201 Created\r\nContent-Length: 2\r\n\r\n{}", "{}", "", "",
       "HTTP/1.1 201 Created"},
      {"204 reads nothing after the head", "HTTP/1.1 204 No Content\r\n\r\nstray", "", "", "",
       "HTTP/1.1 204 No Content"},
      {"304", "HTTP/1.1 304 Not Modified\r\nConnection: keep-alive\r\n\r\n", "",
       "EIdHTTPProtocolException", "HTTP/1.1 304 Not Modified", "HTTP/1.1 304 Not Modified"},
      {"302 is not followed", "HTTP/1.1 302 Found\r\nLocation: http://elsewhere/\r\n\r\n", "",
       "EIdHTTPProtocolException", "HTTP/1.1 302 Found", "HTTP/1.1 302 Found"},
      {"100 then 200",
       "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\nyes", "yes", "",
       "", "HTTP/1.1 200 OK"},
      {"500 carries its body",
       "HTTP/1.1 500 Internal Server Error\r\nContent-Length: 4\r\n\r\nboom", "",
       "EIdHTTPProtocolException", "HTTP/1.1 500 Internal Server Error",
       "HTTP/1.1 500 Internal Server Error", "boom"},
      {"404 body until close", "HTTP/1.0 404 Not Found\r\n\r\nno such path", "",
       "EIdHTTPProtocolException", "HTTP/1.0 404 Not Found", "HTTP/1.0 404 Not Found",
       "no such path"},
      {"unreadable status", "garbage\r\n\r\n", "", "EIdHTTPProtocolException", "garbage",
       "garbage"},
      {"chunked 5 + 3",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n3\r\nabc\r\n0\r\n\r\n",
       "helloabc", "", "", "HTTP/1.1 200 OK"},
      {"chunk extension counts as 0",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5;ext=1\r\nhello\r\n0\r\n\r\n", "", "",
       "", "HTTP/1.1 200 OK"},
      {"chunked closed mid-chunk",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n10\r\nshort", "",
       "EIdConnClosedGracefully", "Connection Closed Gracefully.", "HTTP/1.1 200 OK"},
      {"no length: until close", "HTTP/1.0 200 OK\r\nServer: t\r\n\r\nall of\r\nit", "all of\r\nit",
       "", "", "HTTP/1.0 200 OK"},
      {"length longer than what arrives", "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\npartial",
       "partial", "", "", "HTTP/1.1 200 OK"},
      {"head ended by close", "HTTP/1.1 200 OK\r\nServer: t\r\nContent-Le", "", "EIdException",
       "Undefined situation", "HTTP/1.1 200 OK"},
      {"close after the status line", "HTTP/1.1 200 OK\r\n", "", "EIdConnClosedGracefully",
       "Connection Closed Gracefully.", "HTTP/1.1 200 OK"},
      {"close without answer", "", "", "EIdConnClosedGracefully", "Connection Closed Gracefully.",
       ""},
      {"16385-byte status line", long_status, "", "EIdReadLnMaxLineLengthExceeded",
       "Max line length exceeded.", ""},
  };
  for (const Case& c : cases) {
    server.AddConnection().ReadHttpRequest().Send(c.reply).Close();
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TPostOutcome out = Post();
    EXPECT_EQ(out.Error, c.error);
    EXPECT_EQ(out.Message, c.message);
    EXPECT_EQ(out.Body, c.body);
    EXPECT_EQ(out.ErrorBody, c.error_body);
    if (!c.status_line.empty()) {
      EXPECT_EQ(http.StatusLine(), c.status_line);
    }
  }
  EXPECT_EQ(server.Accepted(), std::size(cases));
}

TEST_F(Responses, ErrorStatusCarriesCodeAnd401IsNeverAnswered) {
  server.AddConnection()
      .ReadHttpRequest()
      .Send(
          "HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"m\"\r\n"
          "Content-Length: 6\r\n\r\ndenied")
      .Close();
  http.Request.BasicAuthentication = true;
  http.Request.Username = "u";
  TPostOutcome out = Post();
  EXPECT_EQ(out.Error, "EIdHTTPProtocolException");
  EXPECT_EQ(out.Code, 401);
  EXPECT_EQ(out.ErrorBody, "denied");
  EXPECT_EQ(http.Response().WWWAuthenticate.Count(), 1u);
  ASSERT_TRUE(server.WaitDone());
  EXPECT_NE(server.Received(0).find("Authorization: Basic dTo="), std::string::npos);
  // The credential record stays for the next request.
  ASSERT_NE(http.Request.Authentication(), nullptr);
  EXPECT_EQ(server.Accepted(), 1u);
}

TEST_F(Responses, HostileLengthDoesNotReserveMemory) {
  server.AddConnection()
      .ReadHttpRequest()
      .Send("HTTP/1.1 200 OK\r\nContent-Length: 2147483647\r\n\r\nfew")
      .Sleep(50)
      .Send(" more")
      .Close();
  std::string body = http.HttpPost(Url(), TIdStream(""));
  EXPECT_EQ(body, "few more");
  EXPECT_LE(body.capacity(), size_t{2} << 20);
}

TEST_F(Responses, EndlessBodiesStopAtTheCap) {
  const std::string heads[] = {
      "HTTP/1.0 200 OK\r\n\r\n",                                              // until close
      "HTTP/1.1 200 OK\r\nContent-Length: 2000000000\r\n\r\n",                // by length
      "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n7FFFFFFFFF\r\n",  // one huge chunk
      "HTTP/1.0 500 Oops\r\n\r\n",                                            // an error body too
  };
  for (const std::string& head : heads) {
    server.AddConnection().ReadHttpRequest().Send(head).Do(
        SendFiller(TIdHTTP::kMaxResponseBody + (4u << 20)));
  }
  for (const std::string& head : heads) {
    SCOPED_TRACE(head);
    TPostOutcome out = Post();
    EXPECT_EQ(out.Error, "EIdException");
    EXPECT_EQ(out.Message, "Response body too large");
    EXPECT_FALSE(http.Connected());
  }
}

TEST_F(Responses, EndlessHeaderBlockStopsAtTheCap) {
  server.AddConnection().ReadHttpRequest().Send("HTTP/1.1 200 OK\r\n").Do([](TScriptConnection& c) {
    std::string block;
    while (block.size() < (1u << 20)) block += "X-Filler: " + std::string(1012, 'h') + "\r\n";
    for (size_t sent = 0; sent < TIdHTTP::kMaxResponseHeader + (4u << 20); sent += block.size()) {
      if (!c.Send(block)) break;
    }
    return false;
  });
  TPostOutcome out = Post();
  EXPECT_EQ(out.Error, "EIdException");
  EXPECT_EQ(out.Message, "Response header too large");
}

TEST_F(Responses, SilentServerEndsInReadTimeout) {
  server.AddConnection().ReadHttpRequest().Sleep(600).Close();
  http.ReadTimeout = 150;
  auto start = std::chrono::steady_clock::now();
  TPostOutcome out = Post();
  auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(out.Error, "EIdReadTimeout");
  EXPECT_EQ(out.Message, "Read Timeout");
  EXPECT_LT(waited, std::chrono::milliseconds(550));
  EXPECT_EQ(TIdHTTP().ReadTimeout, 60000);
}

TEST_F(Responses, ErrorBodyWaitIsBoundedEvenWithoutLimit) {
  // An error answer without length on a connection the server keeps open.
  server.AddConnection()
      .ReadHttpRequest()
      .Send("HTTP/1.1 503 Busy\r\nConnection: keep-alive\r\n\r\npartial")
      .Sleep(2600)
      .Close();
  http.ReadTimeout = 0;
  TPostOutcome out = Post();
  EXPECT_EQ(out.Error, "EIdReadTimeout");
  EXPECT_EQ(http.StatusLine(), "HTTP/1.1 503 Busy");
  EXPECT_EQ(http.ReadTimeout, 0);
}

TEST_F(Responses, ResetAndRefusedConnectionsGiveSocketErrors) {
  server.AddConnection().ReadHttpRequest().Reset();
  TPostOutcome reset = Post();
  EXPECT_EQ(reset.Error, "EIdSocketError");
  EXPECT_EQ(reset.Message, "Socket Error # 10054\r\nConnection reset by peer.");

  // A port that was free a moment ago: nobody listens there.
  sockaddr_in addr;
  ::close(BindLoopback(addr));
  std::string url = "http://localhost:" + std::to_string(ntohs(addr.sin_port)) + "/";
  for (int32_t limit : {0, 1000}) {  // blocking connect, and the timed one
    http.ReadTimeout = limit;
    TPostOutcome refused = Outcome([&] { return http.HttpPost(url, TIdStream("")); });
    EXPECT_EQ(refused.Error, "EIdSocketError");
    EXPECT_EQ(refused.Message, "Socket Error # 10061\r\nConnection refused.");
  }
}

TEST_F(Responses, UnknownHostGivesHostNotFound) {
  TPostOutcome out =
      Outcome([&] { return http.HttpPost("http://no-such-host.invalid/", TIdStream("")); });
  if (out.Code == 11002) GTEST_SKIP() << "the name service cannot be reached here";
  EXPECT_EQ(out.Error, "EIdSocketError");
  EXPECT_EQ(out.Message, "Socket Error # 11001\r\nHost not found.");
}

TEST_F(Responses, KeepAliveOnlyWhenTheServerSaysSo) {
  struct Case {
    const char* connection_line;
    bool kept;
  };
  const Case cases[] = {
      {"Connection: KEEP-alive\r\n", true},
      {"Proxy-Connection:  keep-alive \r\n", true},
      {"Connection: close\r\n", false},
      {"", false},
  };
  for (const Case& c : cases) {
    server.AddConnection()
        .ReadHttpRequest()
        .Send(std::string("HTTP/1.1 200 OK\r\n") + c.connection_line + "Content-Length: 1\r\n\r\n.")
        .ReadToClose();
  }
  for (const Case& c : cases) {
    Post();
    EXPECT_EQ(http.Connected(), c.kept) << c.connection_line;
  }
  http.Disconnect();
}

TEST_F(Responses, CookiesFromTheServerComeBackOnMatchingPaths) {
  server.AddConnection()
      .ReadHttpRequest()
      .Send(
          "HTTP/1.1 200 OK\r\n"
          "Set-Cookie: session=abc; Path=/restapi\r\n"
          "Set-Cookie: nopath=1\r\n"
          "Set-Cookie: foreign=2; path=/; DOMAIN=marivon.example\r\n"
          "set-cookie2: v2=3; path=/; Discard\r\n"
          "Content-Length: 0\r\n\r\n")
      .Close();
  server.AddConnection().ReadHttpRequest().Send("HTTP/1.0 204 No Content\r\n\r\n").Close();
  server.AddConnection().ReadHttpRequest().Send("HTTP/1.0 204 No Content\r\n\r\n").Close();
  Post("restapi/objects/");
  ASSERT_NE(http.CookieManager(), nullptr);
  EXPECT_EQ(http.CookieManager()->Count(), 3u);
  Post("restapi/objects/");
  Post("other/");
  ASSERT_TRUE(server.WaitDone());
  EXPECT_EQ(server.Received(0).find("Cookie:"), std::string::npos);
  EXPECT_NE(server.Received(1).find("\r\nCookie: session=abc; v2=3\r\n"), std::string::npos);
  EXPECT_NE(server.Received(2).find("\r\nCookie: v2=3\r\n"), std::string::npos);
}

TEST_F(Responses, SessionsSharingAStoreSendEachOthersCookies) {
  const std::string set_cookie = "HTTP/1.1 204 No Content\r\nSet-Cookie: ";
  server.AddConnection().ReadHttpRequest().Send(set_cookie + "a=1; Path=/\r\n\r\n").Close();
  server.AddConnection().ReadHttpRequest().Send(set_cookie + "b=2; Path=/\r\n\r\n").Close();
  server.AddConnection().ReadHttpRequest().Send("HTTP/1.1 204 No Content\r\n\r\n").Close();
  TIdHTTP twin;
  twin.ShareCookiesOf(http);  // before `http` has a store of its own
  Post();
  EXPECT_EQ(Outcome([&] { return twin.HttpPost(Url(), TIdStream("{}")); }).Error, "");
  Post();
  ASSERT_TRUE(server.WaitDone());
  EXPECT_NE(server.Received(1).find("\r\nCookie: a=1\r\n"), std::string::npos);
  EXPECT_NE(server.Received(2).find("\r\nCookie: b=2; a=1\r\n"), std::string::npos);
  EXPECT_EQ(twin.CookieManager(), http.CookieManager());
}

TEST_F(Responses, ConnectWaitIsBoundedByTheReadTimeout) {
  // A listener whose accept queue is full and never served: SYNs go unanswered.
  sockaddr_in addr;
  int listener = BindLoopback(addr);
  ASSERT_EQ(::listen(listener, 0), 0);
  std::vector<int> fillers;
  for (int i = 0; i < 4; ++i) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    fillers.push_back(fd);
  }
  http.ReadTimeout = 300;
  auto start = std::chrono::steady_clock::now();
  TPostOutcome out = Outcome([&] {
    return http.HttpPost("http://127.0.0.1:" + std::to_string(ntohs(addr.sin_port)) + "/",
                         TIdStream(""));
  });
  auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(out.Error, "EIdConnectTimeout");
  EXPECT_EQ(out.Message, "Connect timed out.");
  EXPECT_LT(waited, std::chrono::milliseconds(1500));
  for (int fd : fillers) ::close(fd);
  ::close(listener);
}
