// The list form's body: form encoding after the first "=", joining, trimming.
#include "http/form_body.h"

#include <gtest/gtest.h>

TEST(FormBody, ComposesTheListFormBody) {
  struct Case {
    std::vector<std::string> lines;
    std::string body;
  };
  const Case cases[] = {
      {{"{\"extId\":4660,\"name\":\"\xD0\xA1\xD0\xBA\xD0\xBB\xD0\xB0\xD0\xB4\"}"},
       "{\"extId\":4660,\"name\":\"\xD0\xA1\xD0\xBA\xD0\xBB\xD0\xB0\xD0\xB4\"}"},
      {{"{\"name\":\"a=b c\",\"extId\":5}"}, "{\"name\":\"a=b+c%22%2C%22extId%22%3A5%7D"},
      {{"{\"comment\":\"x=1\",\"extId\":5}"}, "{\"comment\":\"x=1%22%2C%22extId%22%3A5%7D"},
      {{"k=\xD0\xA1\x01-_.~"}, "k=%D0%A1%01%2D%5F%2E%7E"},
      {{"ends in its only ="}, "ends in its only ="},
      {{" \r\n\t{\"a\":1}\r\n "}, "{\"a\":1}"},
      {{"a=one", "b=two three"}, "a=one&b=two+three&"},
      {{"a=1", "plain"}, "a=1&plain&"},
      {{"x\r\ny", "z\r", "\nw"}, "x&y&z\r&\nw&"},
      {{}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    EXPECT_EQ(ComposeListBody(c.lines, true), c.body);
  }
}

TEST(FormBody, WithoutEncodingOnlyJoinsAndTrims) {
  EXPECT_EQ(ComposeListBody({" {\"name\":\"a=b c\"}\r\n"}, false), "{\"name\":\"a=b c\"}");
  EXPECT_EQ(ComposeListBody({"a=x y", "b"}, false), "a=x y&b&");
}
