// The name rule and paths in messages: the same answers on every system
// (these tests run on Linux and under Wine, in both code pages).
#include "platform/names.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using platform::ArchiveNameOf;
using platform::PathForMessage;

TEST(ArchiveName, AsciiAndRawShiftJisNamesAreTakenByteForByte) {
  EXPECT_EQ(ArchiveNameOf("prologue.sio"), "prologue.sio");
  // 表紙.MOE in Shift-JIS, its first character ending in 0x5C: no UTF-8.
  EXPECT_EQ(ArchiveNameOf("\x95\x5C\x8E\x86.MOE"), "\x95\x5C\x8E\x86.MOE");
  // Bytes that form no character in either encoding stay too.
  EXPECT_EQ(ArchiveNameOf("A\xFF.DAT"), "A\xFF.DAT");
}

TEST(ArchiveName, AUtf8NameBecomesItsShiftJisForm) {
  EXPECT_EQ(ArchiveNameOf("第二話.SIO"), "\x91\xE6\x93\xF1\x98\x62.SIO");
  EXPECT_EQ(ArchiveNameOf("背景１.MOE"), "\x94\x77\x8C\x69\x82\x50.MOE");  // a full-width digit
  EXPECT_EQ(ArchiveNameOf("ελ～.DAT"), "\x83\xC3\x83\xC9\x81\x60.DAT");    // Greek, U+FF5E
}

TEST(ArchiveName, ANameShiftJisCannotHoldHasNone) {
  EXPECT_EQ(ArchiveNameOf("Café.MOE"), std::nullopt);
  EXPECT_EQ(ArchiveNameOf("♥.MOE"), std::nullopt);
  // Characters some tables map to Shift-JIS one way only: none either, so
  // that no two systems store them differently.
  EXPECT_EQ(ArchiveNameOf("¥100.TXT"), std::nullopt);
  EXPECT_EQ(ArchiveNameOf("波〜.TXT"), std::nullopt);  // U+301C, not U+FF5E
  EXPECT_EQ(ArchiveNameOf("A−B.TXT"), std::nullopt);   // U+2212
}

// As a copy from macOS writes them: カ + U+3099, ハ + U+309A.
TEST(ArchiveName, ADecomposedNameIsComposedFirst) {
  EXPECT_EQ(ArchiveNameOf("\u30AB\u3099\u30A4\u30C8\u3099.MOE"),
            "\x83K\x83"
            "C\x83h.MOE");
  EXPECT_EQ(ArchiveNameOf("\u30CF\u309A.SIO"), ArchiveNameOf("パ.SIO"));
  EXPECT_EQ(PathForMessage("\u30AB\u3099"), "\x83K");
}

// Half-width katakana pairs in Shift-JIS are well-formed UTF-8 too.
TEST(ArchiveName, ANameThatReadsBothWaysHasBothReadingsWhereNamesAreBytes) {
  const platform::NameReadings both = platform::ReadingsOf("\xCE\xBC.MOE");  // μ, or ﾎｼ
  EXPECT_EQ(both.text, "\x83\xCA.MOE");
#ifdef _WIN32
  EXPECT_FALSE(both.raw);
#else
  EXPECT_EQ(both.raw, "\xCE\xBC.MOE");
  // Ŷ has no Shift-JIS form, ﾅｶ has: the folder still tells which is meant.
  const platform::NameReadings nameless = platform::ReadingsOf("\xC5\xB6.MOE");
  EXPECT_FALSE(nameless.text);
  EXPECT_EQ(nameless.raw, "\xC5\xB6.MOE");
  EXPECT_TRUE(nameless.Ambiguous());
#endif
  // Kana and kanji in UTF-8 read as UTF-8 alone.
  EXPECT_FALSE(platform::ReadingsOf("夜景.MOE").Ambiguous());
  EXPECT_FALSE(platform::ReadingsOf("\x95\x5C.MOE").text);
}

TEST(PathForMessage, ShowsWhatShiftJisHoldsAndEscapesTheRest) {
  EXPECT_EQ(PathForMessage("out/DAV299.AVD"), "out/DAV299.AVD");
  EXPECT_EQ(PathForMessage("Café ελ/キルナート"),
            "Caf\\xC3\\xA9 \x83\xC3\x83\xC9/\x83L\x83\x8B\x83i\x81[\x83g");
  EXPECT_EQ(PathForMessage("a\x1b]0;x\a"), "a\\x1B]0;x\\x07");
  // A raw Shift-JIS path as it is, its controls escaped.
  EXPECT_EQ(PathForMessage("\x83L\x1b"), "\x83L\\x1B");
  // Each part by itself: a raw Shift-JIS file in a folder named in UTF-8.
  EXPECT_EQ(PathForMessage("キルナート/\x95\x5C.MOE"), "\x83L\x83\x8B\x83i\x81[\x83g/\x95\x5C.MOE");
}

TEST(MemberFileName, IsTheNameRulesInverseWhereNamesAreUtf8) {
  using platform::FileNameOfMember;
  // 表 ends in 0x5C; 説明書 read back through the name rule.
  EXPECT_EQ(FileNameOfMember("\x91\xE6\x93\xF1\x98\x62.SIO", true), "第二話.SIO");
  EXPECT_EQ(FileNameOfMember("\x95\x5C.DAT", true), "表.DAT");
  EXPECT_EQ(FileNameOfMember("README.TXT", false), "README.TXT");
  // ﾎｼ: its characters, which no reading takes for μ.
  EXPECT_EQ(FileNameOfMember("\xCE\xBC.MOE", true), "ﾎｼ.MOE");
#ifdef _WIN32
  EXPECT_EQ(FileNameOfMember("\x95\x5C.DAT", false), "表.DAT");
  EXPECT_EQ(FileNameOfMember("\x82.TXT", true), std::nullopt);
  // Code page 932 gives 纊 two codes (ED 40, FA 5C). Windows names files
  // by characters alone, and the name rule reads 纊 back as FA 5C: no file
  // name gives ED 40 on Windows.
  EXPECT_EQ(FileNameOfMember("\xED\x40", true), "纊");
  EXPECT_EQ(platform::ArchiveNameOf("纊"), "\xFA\x5C");
#else
  EXPECT_EQ(FileNameOfMember("\x95\x5C.DAT", false), "\x95\x5C.DAT");
  EXPECT_EQ(FileNameOfMember("\x82.TXT", true), "\x82.TXT");
  // Code page 932 gives 纊 two codes (ED 40, FA 5C): the one whose
  // characters read back as another keeps its bytes.
  EXPECT_EQ(FileNameOfMember("\xFA\x5C", true), "纊");
  EXPECT_EQ(FileNameOfMember("\xED\x40", true), "\xED\x40");
#endif
}

TEST(MemberFileName, CapitalsAreUnicodesInEveryScript) {
  EXPECT_EQ(platform::UpperCaseUtf8("readme.txt"), "README.TXT");
  EXPECT_EQ(platform::UpperCaseUtf8("ａ.txt"), "Ａ.TXT");
  EXPECT_EQ(platform::UpperCaseUtf8("αβ ёж ⅰ"), "ΑΒ ЁЖ Ⅰ");
  EXPECT_EQ(platform::UpperCaseUtf8("表.\xFF"), "表.\xFF");
}

}  // namespace
