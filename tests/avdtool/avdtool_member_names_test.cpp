// Member names as users type them: extract and disasm read them alike.
#include <gtest/gtest.h>

#include "avdtool/disasm.h"
#include "avdtool/extract.h"
#include "avdtool/member_names.h"
#include "avdtool_support.h"

namespace {

using avdtool::MemberQuery;
using avdtool::UnescapedName;
using namespace avdtool_test;

// 説明書.TXT and ア.PDT, ヂ.PDT in Shift-JIS.
const std::string kManual = "\x90\xE0\x96\xBE\x8F\x91.TXT", kA = "\x83\x41.PDT", kDi = "\x83\x61.PDT";

TEST(MemberNames, TheEscapesListPrintsStandForTheirBytes) {
  EXPECT_EQ(UnescapedName("\\x90\\xe0\\x96\\xBE\\x8F\\x91.TXT"), kManual);
  EXPECT_EQ(UnescapedName("\\x5Cx41"), "\\x41");  // a backslash of the name itself
  for (const char* kept : {"A\\B", "\\xZZ", "A\\x9", "\\x", "PLAIN.TXT"})
    EXPECT_EQ(UnescapedName(kept), kept);
}

TEST(MemberNames, ANameIsTakenInTheUsersFormAsListPrintsItAndAsBytes) {
  for (const char* typed : {"説明書.TXT", "説明書.txt", "\\x90\\xE0\\x96\\xBE\\x8F\\x91.txt"})
    EXPECT_TRUE(MemberQuery(typed).Matches(kManual)) << typed;
  // Decomposed as macOS types it: ガ is カ + U+3099.
  EXPECT_TRUE(MemberQuery("\u30AB\u3099.MOE").Matches("\x83K.MOE"));
#ifndef _WIN32
  // Raw Shift-JIS bytes, as a shell in a Shift-JIS locale passes them.
  EXPECT_TRUE(MemberQuery("\x95\x5C.dat").Matches("\x95\x5C.DAT"));
#endif
  EXPECT_FALSE(MemberQuery("Café.TXT").Matches("CAF.TXT"));
  EXPECT_FALSE(MemberQuery("説明.TXT").Matches(kManual));
}

TEST(MemberNames, LettersMatchInEitherCaseOnlyAsCharactersOfTheirOwn) {
  EXPECT_TRUE(MemberQuery("ア.pdt").Matches(kA));
  EXPECT_FALSE(MemberQuery("ア.PDT").Matches(kDi));
  EXPECT_FALSE(MemberQuery("ヂ.PDT").Matches(kA));
  EXPECT_TRUE(MemberQuery("\\x83a.pdt").Matches(kDi));
  EXPECT_FALSE(MemberQuery("\\x83a.PDT").Matches(kA));
  // Full-width letters are characters of their own: ａ is not Ａ.
  EXPECT_FALSE(MemberQuery("ａ.TXT").Matches("\x82\x60.TXT"));
}

TEST(MemberNames, ExtractAndDisasmNameWhatMatchesNothingAsTheUserTypedIt) {
  std::vector<uint8_t> file =
      ArchiveOf({{"M1", Bytes("a")}, {"M2", Bytes("b")}, {"M3", Bytes("c")}, {"SEEN001.TXT", Tpc({})}});
  for (const auto& [i, name] : {std::pair{0, kA}, {1, kDi}, {2, kManual}}) {
    uint8_t* field = EntryField(file, static_cast<size_t>(i), 0);
    std::fill(field, field + archive::kNameSize, 0);
    std::copy(name.begin(), name.end(), field);
  }
  test_support::TempDir dir;
  std::string error, report;
  const auto folder = platform::OutputFolder::Open(dir.Folder() + "out", base::Translations(), error);
  ASSERT_NE(folder, nullptr) << error;
  EXPECT_EQ(avdtool::Extract(file, *folder, {{"ア.pdt", "説明書.TXT", "無い.TXT"}, false},
                             base::Translations(), report),
            avdtool::Status::kCannotRun);
  EXPECT_EQ(report, "no member named \x96\xB3\x82\xA2.TXT\n2 members written\n");

  std::string out;
  EXPECT_EQ(avdtool::Disassemble(file, {"seen001.txt", "場面.TXT"}, base::Translations(), out),
            avdtool::Status::kCannotRun);
  EXPECT_TRUE(out.ends_with("no scenario member named \x8F\xEA\x96\xCA.TXT\n")) << out;
  EXPECT_NE(out.find("; SEEN001.TXT (entry 3)"), std::string::npos) << out;
}

}  // namespace
