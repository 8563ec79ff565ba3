// The cookie store: which cookies are kept, and the line sent back.
#include "http/cookie_manager.h"

#include <gtest/gtest.h>

TEST(CookieManager, DomainFitsTheRequestHost) {
  struct Case {
    const char* domain;
    const char* host;
    bool fits;
  };
  const Case cases[] = {
      {"www.example.com", "www.example.com", true},
      {"WWW.example.com", "www.example.com", false},  // letter case respected
      {"example.com", "www.example.com", false},
      {".example.com", "www.example.com", true},
      {".example.com", "a.www.example.com", false},  // one more label only
      {".example.com", "example.com", false},
      {"192.168.0.1", "192.168.0.1", true},
      {".0.0.1", "127.0.0.1", false},  // a numeric host needs the exact domain
      {".localhost", "localhost", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CookieDomainFits(c.domain, c.host), c.fits) << c.domain << " / " << c.host;
  }
}

TEST(CookieManager, LineTakesMatchingCookiesByPathDescending) {
  TIdCookieManager store;
  const std::string host = "api.example.com";
  EXPECT_TRUE(store.AddCookie("first=1; Path=/restapi", host, false));
  EXPECT_TRUE(store.AddCookie("second=2; path=\"/\"", host, false));
  EXPECT_TRUE(store.AddCookie("third=3; PATH=/", host, false));
  EXPECT_TRUE(store.AddCookie("nopath=4", host, false));                // kept, never sent
  EXPECT_TRUE(store.AddCookie("empty=; path=/", host, false));          // no value: not sent
  EXPECT_TRUE(store.AddCookie("safe=5; path=/; secure", host, false));  // no secure transport
  EXPECT_TRUE(store.AddCookie("deep=6; path=/restapi/objects/x", host, false));
  EXPECT_FALSE(store.AddCookie("foreign=7; path=/; domain=other.example.com", host, false));
  EXPECT_TRUE(store.AddCookie("wide=8; path=/; domain=.example.com", host, true));
  EXPECT_EQ(store.Count(), 8u);

  EXPECT_EQ(store.CookieLine(host, "/restapi/objects/"), "first=1; third=3; second=2; wide=8");
  EXPECT_EQ(store.CookieLine(host, "/other/"), "third=3; second=2; wide=8");
  EXPECT_EQ(store.CookieLine("elsewhere.org", "/"), "");

  // Same name, any letter case: replaced in place.
  EXPECT_TRUE(store.AddCookie("FIRST=9; path=/restapi", host, false));
  EXPECT_EQ(store.CookieLine(host, "/restapi/"), "FIRST=9; third=3; second=2; wide=8");
}

TEST(CookieManager, ExpiredCookiesAreRemovedBeforeTheLine) {
  TIdCookieManager store;
  const std::string host = "10.1.2.3";
  store.AddCookie("gone=1; path=/; expires=Thu, 01-Jan-1970 00:00:10 GMT", host, false);
  store.AddCookie("now=2; path=/; max-age=0", host, false);
  store.AddCookie("later=3; path=/; max-age=3600", host, false);
  store.AddCookie("future=4; path=/; expires=Fri, 31 Dec 2099 23:59:59 GMT", host, false);
  // Dates beyond the clock's range either way.
  store.AddCookie("far=5; path=/; expires=Fri, 31 Dec 2828 23:59:59 GMT", host, false);
  store.AddCookie("ancient=6; path=/; expires=Mon, 01 Jan 1601 00:00:00 GMT", host, false);
  EXPECT_EQ(store.CookieLine(host, "/"), "far=5; future=4; later=3");
  EXPECT_EQ(store.Count(), 3u);
}
