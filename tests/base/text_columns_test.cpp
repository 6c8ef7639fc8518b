#include "base/text_columns.h"

#include <gtest/gtest.h>

namespace {

using base::FitTailToColumns;
using base::FitToColumns;
using base::TerminalEncoding;
using base::TextColumns;

// "画像" (two double-width characters) and "ｱ" (half-width katakana).
constexpr std::string_view kKanjiUtf8 = "\xE7\x94\xBB\xE5\x83\x8F";
constexpr std::string_view kKanjiSjis = "\x89\xE6\x91\x9C";
constexpr std::string_view kHalfKanaUtf8 = "\xEF\xBD\xB1";
constexpr std::string_view kHalfKanaSjis = "\xB1";

TEST(TextColumns, DoubleWidthCharactersTakeTwoColumnsInEveryEncoding) {
  EXPECT_EQ(TextColumns("BG183.MOE", TerminalEncoding::kUtf8), 9u);
  EXPECT_EQ(TextColumns(kKanjiUtf8, TerminalEncoding::kUtf8), 4u);
  EXPECT_EQ(TextColumns(kHalfKanaUtf8, TerminalEncoding::kUtf8), 1u);
  EXPECT_EQ(TextColumns(kKanjiSjis, TerminalEncoding::kShiftJis), 4u);
  EXPECT_EQ(TextColumns(kHalfKanaSjis, TerminalEncoding::kShiftJis), 1u);
  EXPECT_EQ(TextColumns("\xB2\xE8\xC1\xFC", TerminalEncoding::kOther), 4u);  // EUC-JP "画像"
  EXPECT_EQ(TextColumns("\xEF\xBC\xA1", TerminalEncoding::kUtf8), 2u);       // full-width A
  EXPECT_EQ(TextColumns("\xC3\xA9", TerminalEncoding::kUtf8), 1u);           // é
}

TEST(TextColumns, ACutNeverSplitsACharacter) {
  const std::string text = "ab" + std::string(kKanjiUtf8);
  EXPECT_EQ(FitToColumns(text, TerminalEncoding::kUtf8, 5), "ab\xE7\x94\xBB");
  EXPECT_EQ(FitToColumns(text, TerminalEncoding::kUtf8, 3), "ab");  // the kanji would need columns 3 and 4
  EXPECT_EQ(FitToColumns(text, TerminalEncoding::kUtf8, 99), text);
  EXPECT_EQ(FitToColumns(text, TerminalEncoding::kUtf8, 0), "");

  const std::string sjis = "a" + std::string(kKanjiSjis);
  EXPECT_EQ(FitToColumns(sjis, TerminalEncoding::kShiftJis, 4), "a\x89\xE6");
  EXPECT_EQ(FitToColumns(sjis, TerminalEncoding::kShiftJis, 2), "a");
  // A trail byte in the ASCII range belongs to its lead byte: "表" is 95 5C.
  EXPECT_EQ(FitToColumns("\x95\x5C", TerminalEncoding::kShiftJis, 1), "");
  EXPECT_EQ(FitToColumns("\xB2\xE8\xC1\xFC", TerminalEncoding::kOther, 3), "\xB2\xE8");
}

TEST(TextColumns, ControlCharactersAreShownAsQuestionMarksOfTheSameLength) {
  EXPECT_EQ(FitToColumns("a\x1b[2J\nb\x7f", TerminalEncoding::kUtf8, 99), "a?[2J?b?");
  EXPECT_EQ(FitToColumns("x\xC2\x9B"
                         "1m",
                         TerminalEncoding::kUtf8, 99),
            "x??1m");  // C1 CSI
  EXPECT_EQ(FitToColumns("\r", TerminalEncoding::kShiftJis, 99), "?");
  EXPECT_EQ(FitToColumns("\t", TerminalEncoding::kOther, 99), "?");
}

TEST(TextColumns, InvalidBytesCountOneColumnAndAreKept) {
  // A truncated three-byte sequence, a stray continuation byte, an overlong form.
  EXPECT_EQ(TextColumns("\xE7\x94", TerminalEncoding::kUtf8), 2u);
  EXPECT_EQ(FitToColumns("\x80z", TerminalEncoding::kUtf8, 1), "\x80");
  EXPECT_EQ(TextColumns("\xC0\xAF", TerminalEncoding::kUtf8), 2u);
  EXPECT_EQ(FitToColumns("\x81", TerminalEncoding::kShiftJis, 5), "\x81");  // a lead byte at the end
}

TEST(TextColumns, TheTailOfALongPathIsKeptBehindAnEllipsis) {
  EXPECT_EQ(FitTailToColumns("/home/user/games/kirunaato", TerminalEncoding::kUtf8, 13), ".../kirunaato");
  EXPECT_EQ(FitTailToColumns("/short", TerminalEncoding::kUtf8, 12), "/short");
  const std::string path = "/g/" + std::string(kKanjiUtf8);
  EXPECT_EQ(FitTailToColumns(path, TerminalEncoding::kUtf8, 6), "...\xE5\x83\x8F");
  EXPECT_EQ(FitTailToColumns("/abcdef", TerminalEncoding::kUtf8, 2), "/a");
}

}  // namespace
