// JSON escaping of source texts and the escape-aware cut.
#include "source/json_escape.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(JsonEscape, EscapesEveryByteClass) {
  struct TCase {
    std::string In;
    std::string Out;
  };
  const TCase cases[] = {
      {"", ""},
      {"\b\t\n\f\r", "\\b\\t\\n\\f\\r"},
      {"\"/\\", "\\\"\\/\\\\"},
      {std::string("\0", 1), "\\u0000"},
      {"\x01\x07\x0b\x0e\x1f", "\\u0001\\u0007\\u000B\\u000E\\u001F"},
      {"a b~\x7f", "a b~\x7f"},
      // Windows-1251 letters and the other high bytes pass unchanged.
      {"\xcc\xee\xf1\xea\xe2\xe0 \xb9\x98\xff", "\xcc\xee\xf1\xea\xe2\xe0 \xb9\x98\xff"},
      {"D:\\maps/a.png", "D:\\\\maps\\/a.png"},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(JsonEscape(c.In), c.Out) << "input '" << c.In << "'";
  }
}

TEST(JsonEscape, EscapesNoOtherByte) {
  for (int code = 32; code < 256; ++code) {
    if (code == '"' || code == '/' || code == '\\') continue;
    const std::string one(1, static_cast<char>(code));
    EXPECT_EQ(JsonEscape(one), one) << "code " << code;
  }
}

TEST(CutEscapedText, NeverEndsInsideAnEscape) {
  struct TCase {
    std::string In;
    size_t Limit;
    std::string Out;
  };
  const TCase cases[] = {
      {"abcdef", 6, "abcdef"},    {"abcdef", 4, "abcd"},
      {"ab\\\"cd", 3, "ab"},      // would end after the backslash
      {"ab\\\"cd", 4, "ab\\\""},  // ends right after the escape
      {"ab\\\\cd", 3, "ab"},      // an escaped backslash is one escape too
      {"ab\\u001Fcd", 5, "ab"},   // inside \u001F
      {"ab\\u001Fcd", 7, "ab"},   {"ab\\u001Fcd", 8, "ab\\u001F"},
      {"\\/\\/\\/", 5, "\\/\\/"}, {"ab", 0, ""},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(CutEscapedText(c.In, c.Limit), c.Out) << "'" << c.In << "' at " << c.Limit;
  }
}

TEST(CutEscapedText, KeepsAtMostTheLimitOfAnyEscapedText) {
  // Every cut of an escaped text is a prefix that unescapes cleanly: it is
  // itself the escape of a prefix of the original.
  const std::string original = "A\"\\/\x1f\n\xc0z\x01";
  const std::string escaped = JsonEscape(original);
  for (size_t limit = 0; limit <= escaped.size() + 1; ++limit) {
    const std::string cut = CutEscapedText(escaped, limit);
    EXPECT_LE(cut.size(), limit);
    bool is_escaped_prefix = false;
    for (size_t n = 0; n <= original.size(); ++n) {
      if (JsonEscape(original.substr(0, n)) == cut) is_escaped_prefix = true;
    }
    EXPECT_TRUE(is_escaped_prefix) << "limit " << limit << " gave '" << cut << "'";
  }
}

}  // namespace
