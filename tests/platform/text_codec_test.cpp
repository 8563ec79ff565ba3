// Windows-1251 <-> UTF-8 / UTF-16.
#include "platform/text_codec.h"

#include <gtest/gtest.h>

namespace {

using platform::Cp1251ToUtf16;
using platform::Cp1251ToUtf8;
using platform::Utf16ToCp1251;
using platform::Utf8ToCp1251;

TEST(TextCodec, EveryByteSurvivesBothRoundTrips) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(all)), all);
  EXPECT_EQ(Utf16ToCp1251(Cp1251ToUtf16(all)), all);
}

TEST(TextCodec, KnownLettersMapThroughTheTable) {
  // "Ёж №5 €" in Windows-1251 and in UTF-8.
  const std::string cp1251 =
      "\xA8\xE6 \xB9"
      "5 \x88";
  const std::string utf8 =
      "\xD0\x81\xD0\xB6 \xE2\x84\x96"
      "5 \xE2\x82\xAC";
  EXPECT_EQ(Cp1251ToUtf8(cp1251), utf8);
  EXPECT_EQ(Utf8ToCp1251(utf8), cp1251);
  EXPECT_EQ(Cp1251ToUtf16("\xC0\xFF"), std::u16string(u"\u0410\u044F"));
}

TEST(TextCodec, MalformedUtf8GivesAnEmptyText) {
  const char* malformed[] = {
      "ok \xD0",       // sequence cut short at the end
      "\xE2\x84 x",    // three-byte sequence missing a continuation byte
      "a\x80z",        // stray continuation byte
      "\xC0\xAF",      // overlong form
      "\xED\xA0\x80",  // surrogate
      "\xFF",          // never valid
  };
  for (const char* text : malformed) EXPECT_EQ(Utf8ToCp1251(text), "") << text;
}

TEST(TextCodec, CharactersOutsideTheTableBecomeQuestionMarks) {
  EXPECT_EQ(Utf8ToCp1251("a\xE4\xB8\xAD"
                         "b"),
            "a?b");                                          // CJK, three bytes
  EXPECT_EQ(Utf8ToCp1251("ok \xF0\x9F\x98\x80!"), "ok ?!");  // emoji, four bytes
  EXPECT_EQ(Utf16ToCp1251(u"x\U0001F600y\u4E2D"), "x?y?");
}

}  // namespace
