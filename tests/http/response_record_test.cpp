// The response record: status code from the status line, header fields
// from the first line of each name.
#include <gtest/gtest.h>

#include "http/response.h"

TEST(ResponseRecord, StatusCodeIsTheSecondWord) {
  const std::pair<const char*, int> cases[] = {
      {"HTTP/1.1 200 OK", 200}, {"HTTP/1.0 404", 404}, {"HTTP/1.1  200 OK", -1},
      {"HTTP/1.1 2OO OK", -1},  {"HTTP/1.1", -1},      {"", -1},
      {"HTTP/1.1 -5 odd", -5},  {"ICY 200 OK", 200},
  };
  TIdHTTPResponse response;
  for (const auto& [line, code] : cases) {
    response.ResponseText = line;
    EXPECT_EQ(response.ResponseCode(), code) << line;
  }
}

TEST(ResponseRecord, FieldsTakeTheFirstLineOfTheirName) {
  TIdHTTPResponse response;
  response.RawHeaders.Add("content-length: 12");
  response.RawHeaders.Add("Content-Length: 99");
  response.RawHeaders.Add("Connection:");
  response.RawHeaders.Add("Connection: keep-alive");
  response.RawHeaders.Add("Location: /a,");
  response.RawHeaders.Add("  /b");
  response.RawHeaders.Add("WWW-Authenticate: Basic realm=\"x\"");
  response.RawHeaders.Add("www-authenticate: Digest");
  response.RawHeaders.Add("Date: Sun, 06 Nov 1994 08:49:37 GMT");
  response.ProcessHeaders();
  EXPECT_EQ(response.ContentLength, 12);
  EXPECT_EQ(response.Connection, "");  // the first line, though empty
  EXPECT_EQ(response.Location, "/a, /b");
  EXPECT_EQ(response.WWWAuthenticate.Count(), 2u);
  EXPECT_GT(response.Date, 34000);  // a date in November 1994
  EXPECT_LT(response.Date, 34700);

  for (const char* bad :
       {"Content-Length: 5000000000", "Content-Length: 12abc", "Content-Length: "}) {
    response.RawHeaders.Clear();
    response.RawHeaders.Add(bad);
    response.ProcessHeaders();
    EXPECT_FALSE(response.HasContentLength()) << bad;
  }
}
