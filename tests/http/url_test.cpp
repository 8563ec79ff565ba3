// URL texts split into their components.
#include "http/url.h"

#include <gtest/gtest.h>

TEST(URI, ParseSplitsEveryComponent) {
  struct Case {
    const char* url;
    TIdURI want;
  };
  const Case cases[] = {
      {"http://10.0.0.5:8080/restapi/objects/create-standalone/",
       {"http", "10.0.0.5", "8080", "/restapi/objects/create-standalone/", "", "", "", "", ""}},
      {"http://host/a/b/doc.json?x=1&y=/z#frag",
       {"http", "host", "", "/a/b/", "doc.json", "?x=1&y=/z", "frag", "", ""}},
      {"http://host/dir/doc#part", {"http", "host", "", "/dir/", "doc", "", "part", "", ""}},
      {"http://user:pa:ss@host:81/", {"http", "host", "81", "/", "", "", "", "user", "pa:ss"}},
      {"http://user@host", {"http", "host", "", "/", "", "", "", "user", ""}},
      {"http://:secret@host/", {"http", "host", "", "/", "", "", "", "", ""}},
      {"http:\\\\host\\dir\\doc", {"http", "host", "", "/dir/", "doc", "", "", "", ""}},
      // Without "?" the first "=" splits, even after a slash.
      {"http://host/a/b=c/d", {"http", "host", "", "/a/", "b", "=c/d", "", "", ""}},
      {"rel/dir/doc?q", {"", "", "", "rel/dir/", "doc", "?q", "", "", ""}},
      {"doc", {"", "", "", "", "doc", "", "", "", ""}},
  };
  for (const Case& c : cases) {
    TIdURI got = TIdURI::Parse(c.url);
    SCOPED_TRACE(c.url);
    EXPECT_EQ(got.Protocol, c.want.Protocol);
    EXPECT_EQ(got.Host, c.want.Host);
    EXPECT_EQ(got.Port, c.want.Port);
    EXPECT_EQ(got.Path, c.want.Path);
    EXPECT_EQ(got.Document, c.want.Document);
    EXPECT_EQ(got.Params, c.want.Params);
    EXPECT_EQ(got.Bookmark, c.want.Bookmark);
    EXPECT_EQ(got.Username, c.want.Username);
    EXPECT_EQ(got.Password, c.want.Password);
  }
}
