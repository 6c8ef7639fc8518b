// Which codeset the console writes a terminal's text in, from the locale.
#include <gtest/gtest.h>

#include "platform/console.h"

namespace {

using base::TerminalEncoding;

TEST(TerminalCodeset, NoLocaleOrTheCLocaleGivesUtf8) {
  for (std::string_view name : {"", "C", "POSIX", "C.UTF-8", "en_US.utf8", "C@euro"}) {
    platform::TerminalCodeset c = platform::ChooseTerminalCodeset(name, "");
    EXPECT_EQ(c.encoding, TerminalEncoding::kUtf8) << name;
    EXPECT_EQ(c.converterName, "UTF-8") << name;
  }
  // The C locale as the system reports it is ASCII, which cannot show Japanese.
  EXPECT_EQ(platform::ChooseTerminalCodeset("en_US", "ANSI_X3.4-1968").encoding, TerminalEncoding::kUtf8);
}

TEST(TerminalCodeset, ShiftJisLocalesLeaveTheBytesUnchanged) {
  for (std::string_view name : {"ja_JP.SJIS", "ja_JP.Shift_JIS", "ja_JP.sjis@x", "ja_JP.CP932"}) {
    platform::TerminalCodeset c = platform::ChooseTerminalCodeset(name, "");
    EXPECT_EQ(c.encoding, TerminalEncoding::kShiftJis) << name;
    EXPECT_EQ(c.converterName, "") << name;
  }
  EXPECT_EQ(platform::ChooseTerminalCodeset("ja_JP", "SHIFT_JIS").encoding, TerminalEncoding::kShiftJis);
}

TEST(TerminalCodeset, AnyOtherCodesetIsTranscodedTo) {
  platform::TerminalCodeset euc = platform::ChooseTerminalCodeset("ja_JP.eucJP", "");
  EXPECT_EQ(euc.encoding, TerminalEncoding::kOther);
  EXPECT_EQ(euc.converterName, "eucJP");
  // The name's codeset wins over the installed one; without one the installed one counts.
  EXPECT_EQ(platform::ChooseTerminalCodeset("ja_JP.eucJP", "UTF-8").converterName, "eucJP");
  EXPECT_EQ(platform::ChooseTerminalCodeset("ja_JP", "EUC-JP").converterName, "EUC-JP");
  EXPECT_EQ(platform::ChooseTerminalCodeset("ja_JP", "").encoding, TerminalEncoding::kUtf8);
}

}  // namespace
