#include "base/sjis.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Upper(std::string s) {
  base::UpperCaseName(s.data());
  return s;
}

TEST(UpperCaseName, CapitalisesAsciiLettersOnly) {
  EXPECT_EQ(Upper("seen001.txt"), "SEEN001.TXT");
  EXPECT_EQ(Upper("a-z_{}~`@[]"), "A-Z_{}~`@[]");
  EXPECT_EQ(Upper(""), "");
}

TEST(UpperCaseName, LeavesBothBytesOfADoubleByteCharacterAlone) {
  // 0x82 0x61 is a double-byte character whose second byte looks like 'a'.
  EXPECT_EQ(Upper("\x82\x61x\xE0\x7A"), "\x82\x61X\xE0\x7A");
  // 0x80 and 0xFD-0xFF count as first bytes too.
  EXPECT_EQ(Upper("\x80zz\xFFzz"), "\x80zZ\xFFzZ");
}

TEST(UpperCaseName, TreatsSingleByteKatakanaAsCharactersOfTheirOwn) {
  EXPECT_EQ(Upper("\xA0q\xB1q\xDFq"), "\xA0Q\xB1Q\xDFQ");
}

TEST(UpperCaseName, StopsAtALoneFirstByteBeforeTheEnd) {
  std::string s("ab\x82");
  s.push_back('\0');
  s += "cd";  // behind the terminator: never touched
  base::UpperCaseName(s.data());
  EXPECT_EQ(s, std::string("AB\x82\0cd", 6));
  std::string t("ab\x82\0cd", 6);
  base::UpperCaseName(t);
  EXPECT_EQ(t, std::string("AB\x82\0cd", 6));
}

TEST(UpperCaseName, StringFormAgreesWithTheInPlaceForm) {
  for (std::string s : {"prologue.sio", "\x82\x61x\xE0\x7Ay", "\xA0q\xB1q", "abc\x82"}) {
    std::string copy = s;
    base::UpperCaseName(copy);
    EXPECT_EQ(copy, Upper(s)) << s;
  }
}

}  // namespace
