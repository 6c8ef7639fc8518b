#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "avdtool/extract.h"
#include "avdtool_support.h"
#include "base/sjis.h"
#include "platform/names.h"
#include "platform/paths.h"

namespace {

namespace fs = std::filesystem;
using namespace avdtool_test;
using test_support::ReadFile;
using test_support::TempDir;

// Every file in `folder` and what it holds.
std::map<std::string, std::vector<uint8_t>> Files(const fs::path& folder) {
  std::map<std::string, std::vector<uint8_t>> files;
  for (const auto& entry : fs::directory_iterator(folder))
    files[entry.path().filename().string()] = ReadFile(entry.path());
  return files;
}

class AvdtoolExtract : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directory(Out());
    std::string error;
    folder_ = platform::OutputFolder::Open(Out().string(), base::Translations(), error);
    ASSERT_NE(folder_, nullptr) << error;
  }

  fs::path Out() const { return dir_.Path() / "out"; }

  int Extract(const std::vector<uint8_t>& file, const avdtool::ExtractOptions& options = {}) {
    report_.clear();
    return avdtool::ExitCode(avdtool::Extract(file, *folder_, options, base::Translations(), report_));
  }

  TempDir dir_;
  std::unique_ptr<platform::OutputFolder> folder_;
  std::string report_;
};

TEST_F(AvdtoolExtract, WritesBackEveryMemberOfTheSampleGameByteForByte) {
  const std::vector<Member> sample = SampleGameMembers();
  const std::vector<uint8_t> file = ArchiveOf(sample);
  EXPECT_EQ(Extract(file), 0) << report_;
  EXPECT_EQ(report_, std::to_string(sample.size()) + " members written\n");

  const auto files = Files(Out());
  EXPECT_EQ(files.size(), sample.size());
  for (const Member& m : sample) {
    std::string name = m.name.substr(0, 15);
    base::UpperCaseName(name);
    ASSERT_EQ(files.count(name), 1u) << name;
    EXPECT_EQ(files.at(name), m.bytes) << name;
  }
}

TEST_F(AvdtoolExtract, WithPngEachPictureIsWrittenTwice) {
  EXPECT_EQ(Extract(ArchiveOf(Handful()), {{}, true}), 0) << report_;
  EXPECT_EQ(report_, "6 members written, 2 pictures as PNG\n");
  std::set<std::string> names;
  for (const auto& [name, bytes] : Files(Out())) names.insert(name);
  EXPECT_EQ(names, (std::set<std::string>{"EMPTY", "KEYED.PDT", "KEYED.png", "README.TXT", "SEEN001.TXT",
                                          "SEEN002.TXT", "WIDE.PDT", "WIDE.png"}));
  const std::vector<uint8_t> png = ReadFile(Out() / "KEYED.png");
  EXPECT_EQ(std::vector<uint8_t>(png.begin(), png.begin() + std::min<size_t>(8, png.size())),
            Bytes("\x89PNG\r\n\x1A\n"));
}

TEST_F(AvdtoolExtract, OnlyTheNamedMembersWhateverTheirLetterCase) {
  EXPECT_EQ(Extract(ArchiveOf(Handful()), {{"seen001.txt", "MISSING.TXT", "Wide.pdt"}, false}), 2);
  EXPECT_EQ(report_, "no member named MISSING.TXT\n2 members written\n");
  const auto files = Files(Out());
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files.at("SEEN001.TXT"), Tpc({}));
  EXPECT_EQ(files.count("WIDE.PDT"), 1u);
}

TEST_F(AvdtoolExtract, NamesThatWouldLeaveTheFolderAreWrittenUnderSafeNames) {
  const std::vector<Member> members = {
      {"../evil", Bytes("1")}, {"/abs", Bytes("2")},    {"a\\b", Bytes("3")}, {"..", Bytes("4")},
      {".", Bytes("5")},       {"", Bytes("6")},        {"same", Bytes("7")}, {"SAME", Bytes("8")},
      {"x\x01y", Bytes("9")},  {"ok.txt", Bytes("10")},
  };
  EXPECT_EQ(Extract(ArchiveOf(members)), 0) << report_;

  // Nothing beside the folder, everything in it.
  std::vector<fs::path> outside(fs::directory_iterator(dir_.Path()), {});
  EXPECT_EQ(outside, std::vector<fs::path>{Out()});
  const auto files = Files(Out());
  const std::map<std::string, std::vector<uint8_t>> expected = {
      {"___EVIL", Bytes("1")}, {"_ABS", Bytes("2")},    {"A_B", Bytes("3")},  {"__", Bytes("4")},
      {"_", Bytes("5")},       {"unnamed", Bytes("6")}, {"SAME", Bytes("7")}, {"SAME~2", Bytes("8")},
      {"X_Y", Bytes("9")},     {"OK.TXT", Bytes("10")},
  };
  EXPECT_EQ(files, expected);

  EXPECT_NE(
      report_.find("../EVIL (entry 3): written as ___EVIL, since its name would reach outside the folder\n"),
      std::string::npos)
      << report_;
  EXPECT_NE(report_.find("(no name) (entry 0): written as unnamed, since it has no name\n"),
            std::string::npos);
  EXPECT_NE(report_.find("A\\x5CB (entry "), std::string::npos);
  EXPECT_NE(report_.find("X\\x01Y (entry 9): written as X_Y, since its name holds control characters\n"),
            std::string::npos);
  EXPECT_NE(
      report_.find("SAME (entry 8): written as SAME~2, since an earlier member of the same name took SAME\n"),
      std::string::npos);
  EXPECT_TRUE(report_.ends_with("10 members written\n"));
}

TEST_F(AvdtoolExtract, NeverWritesThroughALinkNorOverAFileAlreadyThere) {
  TempDir elsewhere;
  const std::string victim = elsewhere.Write("victim", std::string("keep me"));
#ifdef _WIN32
  // Links need a privilege on Windows: files stand in for them.
  std::ofstream(Out() / "README.TXT") << "keep me";
  std::ofstream(Out() / "EMPTY") << "";
#else
  fs::create_symlink(victim, Out() / "README.TXT");
  fs::create_symlink(elsewhere.Path() / "missing", Out() / "EMPTY");
#endif
  std::ofstream(Out() / "WIDE.PDT") << "earlier";

  // A file left alone is a write the command could not do.
  EXPECT_EQ(Extract(ArchiveOf(Handful())), 2);
  EXPECT_EQ(ReadFile(victim), Bytes("keep me"));
  EXPECT_FALSE(fs::exists(elsewhere.Path() / "missing"));
  EXPECT_EQ(ReadFile(Out() / "WIDE.PDT"), Bytes("earlier"));
  EXPECT_NE(
      report_.find("README.TXT (entry 2): not written: README.TXT is already in the folder; left as it is\n"),
      std::string::npos)
      << report_;
  EXPECT_NE(report_.find("EMPTY (entry 0): not written: EMPTY is already in the folder"), std::string::npos);
  EXPECT_TRUE(report_.ends_with("3 members written\n")) << report_;
  EXPECT_EQ(ReadFile(Out() / "SEEN002.TXT"), Tpc({0x3B, 0x11, 0x17}));
}

TEST_F(AvdtoolExtract, WhatCannotBeReadIsReportedAndTheRestWritten) {
  std::vector<uint8_t> file = ArchiveOf({{"A", Bytes("aaa")}, {"B.PDT", Bytes("PDT10 but cut short")}});
  base::PutU32(EntryField(file, 0, archive::kEntryUnpackedField), 4);
  EXPECT_EQ(Extract(file, {{}, true}), 1);
  EXPECT_EQ(report_,
            "A (entry 0): not written: the LZO1X stream makes fewer bytes than the unpacked size\n"
            "B.PDT (entry 1): no PNG written: not a well-formed PDT10 picture\n"
            "1 member written\n");
  EXPECT_EQ(Files(Out()).size(), 1u);

  base::PutU16(file.data() + archive::kCountOffset, 100);
  EXPECT_EQ(Extract(file), 2);
  EXPECT_EQ(report_, "nothing written: the directory of the member count does not fit in the file\n");
}

TEST_F(AvdtoolExtract, APictureNameOnDataWritesTheDataAsItIsAndNoPng) {
  const std::vector<uint8_t> own = Bytes("the interpreter's own file");
  EXPECT_EQ(Extract(ArchiveOf({{"SYSTEM.PDT", own}}), {{}, true}), 0);
  EXPECT_EQ(report_,
            "SYSTEM.PDT (entry 0): no PNG written: data, since it does not begin with \"PDT10\"\n"
            "1 member written\n");
  EXPECT_EQ(Files(Out()), (std::map<std::string, std::vector<uint8_t>>{{"SYSTEM.PDT", own}}));
}

// The locale the test runs in, for what follows it: file names in UTF-8 or
// in the members' bytes (platform::FileNamesAreUtf8). Windows names files
// by characters whatever the locale.
class ScopedLocale {
 public:
  explicit ScopedLocale([[maybe_unused]] const char* name) {
#ifndef _WIN32
    if (const char* was = std::getenv("LC_ALL")) was_ = was;
    setenv("LC_ALL", name, 1);
#endif
  }
  ~ScopedLocale() {
#ifndef _WIN32
    if (was_) {
      setenv("LC_ALL", was_->c_str(), 1);
    } else {
      unsetenv("LC_ALL");
    }
#endif
  }
  ScopedLocale(const ScopedLocale&) = delete;
  ScopedLocale& operator=(const ScopedLocale&) = delete;

 private:
  std::optional<std::string> was_;
};

// `names` (Shift-JIS) as this system names their files now.
std::set<std::string> SystemNames(const std::vector<std::string>& names) {
  std::set<std::string> files;
  for (const std::string& name : names)
    files.insert(platform::FileNameOfMember(name, platform::FileNamesAreUtf8()).value());
  return files;
}

// 表.DAT, ソース.PDT: each second byte 0x5C.
const std::string kTable = "\x95\x5C.DAT", kSource = "\x83\x5C\x81\x5B\x83X.PDT";

TEST_F(AvdtoolExtract, EachMemberTakesItsNameInTheSystemsForm) {
  const std::vector<std::string> names = {kTable, kSource, "\x90\xE0\x96\xBE\x8F\x91.TXT", "README.TXT"};
  const ScopedLocale utf8("C.UTF-8");
  EXPECT_EQ(Extract(ArchiveNamed(names)), 0);
  EXPECT_EQ(report_, "4 members written\n");
  EXPECT_EQ(FileNames(Out()), (std::set<std::string>{"表.DAT", "ソース.PDT", "説明書.TXT", "README.TXT"}));
#ifndef _WIN32
  // In a Shift-JIS locale the bytes themselves.
  const ScopedLocale sjis("ja_JP.SJIS");
  std::string error;
  folder_ = platform::OutputFolder::Open((dir_.Path() / "sjis").string(), base::Translations(), error);
  EXPECT_EQ(Extract(ArchiveNamed(names)), 0);
  EXPECT_EQ(FileNames(dir_.Path() / "sjis"), std::set<std::string>(names.begin(), names.end()));
#endif
}

// The converter's name rule reads the extracted folder back as the archive
// it came from, whatever the locale.
TEST_F(AvdtoolExtract, ConvertingTheExtractedFilesGivesTheSameMemberNames) {
  const std::vector<std::string> names = {
      kTable,
      kSource,
      "\xCE\xBC.DAT",          // ﾎｼ, bytes that read as UTF-8 too
      "\x83\x9F\x83\xB6.TXT",  // ΑΩ, two-byte UTF-8 characters
      "\x82\x60\x82\x61.TXT",  // ＡＢ
      "README.TXT",
#ifndef _WIN32
      "\xED\x40.DAT",  // 纊, whose characters code page 932 gives back as FA 5C
#endif
  };
  for (const char* locale : {"C.UTF-8", "ja_JP.SJIS"}) {
    const ScopedLocale scoped(locale);
    const std::string out = dir_.Folder() + locale;
    std::string error;
    folder_ = platform::OutputFolder::Open(out, base::Translations(), error);
    ASSERT_EQ(Extract(ArchiveNamed(names)), 0) << report_;
    fs::create_directory(dir_.Path() / "game");
    const std::string sep(platform::kSeparatorString);
    test_support::RecordingSink sink;
    test_support::CapturedConsole console;
    driver::ConvertGame({dir_.Folder() + "game" + sep, out + sep}, {console.Console(), console.Diag(), sink});
    std::set<std::string> converted;
    for (const Member& m : sink.members) converted.insert(m.name);
    EXPECT_EQ(converted, std::set<std::string>(names.begin(), names.end())) << locale << "\n"
                                                                            << console.Text();
  }
}

// Windows takes names that differ in letter case as one: every member is
// still written, the later under a "~2" name, on every system.
TEST_F(AvdtoolExtract, NamesThatDifferInLetterCaseAloneAreAllWritten) {
  for (const char* locale : {"C.UTF-8", "ja_JP.SJIS"}) {
    const ScopedLocale scoped(locale);
    std::string error;
    folder_ = platform::OutputFolder::Open((dir_.Path() / locale).string(), base::Translations(), error);
    EXPECT_EQ(Extract(ArchiveNamed({"PIC.PDT", "Readme.txt", "pic.PNG", "readme.txt", "\x82\x81.TXT",
                                    "\x82\x60.TXT", "\x83\x41.PDT", "\x83\x61.PDT"}),
                      {{}, true}),
              0)
        << report_;
    EXPECT_EQ(
        report_,
        "pic.PNG (entry 2): written as pic.PNG~2, since an earlier member of the same name took pic.PNG\n"
        "readme.txt (entry 3): written as readme.txt~2, since an earlier member of the same name took "
        "readme.txt\n"
        "\\x82`.TXT (entry 5): written as \\x82`.TXT~2, since an earlier member of the same name took "
        "\\x82`.TXT\n"
        "8 members written, 3 pictures as PNG\n")
        << locale;
    // ア (83 41) and ヂ (83 61) are two characters.
    EXPECT_EQ(FileNames(dir_.Path() / locale),
              SystemNames({"PIC.PDT", "PIC.png", "Readme.txt", "pic.PNG~2", "readme.txt~2", "\x82\x81.TXT",
                           "\x82\x60.TXT~2", "\x83\x41.PDT", "\x83\x41.png", "\x83\x61.PDT", "\x83\x61.png"}))
        << locale;
  }
}

TEST_F(AvdtoolExtract, EachRenamedMemberIsNotedWithItsTrueReason) {
  EXPECT_EQ(Extract(ArchiveNamed({" ", "A:B", "AUX.PDT", "README.", "con.txt"})), 0);
  EXPECT_EQ(report_,
            "  (entry 0): written as _, since its name ends in a dot or a space, which Windows drops\n"
            "A:B (entry 1): written as A_B, since its name holds characters that Windows takes in no file "
            "name (<>:\"|?*)\n"
            "AUX.PDT (entry 2): written as _AUX.PDT, since Windows reserves its name for a device\n"
            "README. (entry 3): written as README_, since its name ends in a dot or a space, which Windows "
            "drops\n"
            "con.txt (entry 4): written as _con.txt, since Windows reserves its name for a device\n"
            "5 members written\n");
  EXPECT_EQ(FileNames(Out()), (std::set<std::string>{"_", "A_B", "_AUX.PDT", "README_", "_con.txt"}));
}

TEST_F(AvdtoolExtract, ANameThatFormsNoCharacterKeepsItsBytesWhereNamesAreBytes) {
  EXPECT_EQ(Extract(ArchiveNamed({"\x82.TXT"})), 0);
#ifdef _WIN32
  EXPECT_EQ(report_,
            "\\x82.TXT (entry 0): written as _.TXT, since its name is not well-formed Shift-JIS\n"
            "1 member written\n");
  EXPECT_EQ(FileNames(Out()), std::set<std::string>{"_.TXT"});
#else
  EXPECT_EQ(report_, "1 member written\n");
  EXPECT_EQ(FileNames(Out()), std::set<std::string>{"\x82.TXT"});
#endif
}

TEST(AvdtoolSafeFileName, KeepsWhatStaysInsideTheFolder) {
  for (const char* name : {"SEEN001.TXT", ".HIDDEN", "A.B.C", "\x82\xA0.TXT", "CONSOLE.TXT", "COM0", "A .TXT",
                           // 表.DAT, ソース.PDT, ポ: a second byte 0x5C or 0x7C is no separator.
                           "\x95\x5C.DAT", "\x83\x5C\x81\x5B\x83X.PDT", "\x83\x7C"}) {
    const avdtool::SafeName safe = avdtool::SafeFileName(name);
    EXPECT_EQ(safe.name, name);
    EXPECT_EQ(safe.why, avdtool::Renamed::kNot) << name;
  }
}

// Every system writes the same names, so that an extract gives one folder
// everywhere; each note says why.
TEST(AvdtoolSafeFileName, WhatWindowsCannotTakeIsRenamedOnEverySystem) {
  using avdtool::Renamed;
  const struct {
    std::string name, safe;
    Renamed why;
  } cases[] = {
      {"", "unnamed", Renamed::kNoName},          {"A...B", "A___B", Renamed::kOutside},
      {"\x82/", "\x82_", Renamed::kOutside},  // a first byte without its second
      {"A\\B", "A_B", Renamed::kOutside},         {"A:B*?.TXT", "A_B__.TXT", Renamed::kNotInNames},
      {"\"<|>\"", "_____", Renamed::kNotInNames}, {"X\x1BY", "X_Y", Renamed::kControl},
      {"AUX.PDT", "_AUX.PDT", Renamed::kDevice},  {"con.txt", "_con.txt", Renamed::kDevice},
      {"NUL", "_NUL", Renamed::kDevice},          {"Com9.A.B", "_Com9.A.B", Renamed::kDevice},
      {"LPT1 .X", "_LPT1 .X", Renamed::kDevice},  {"README.", "README_", Renamed::kEndsInDotOrSpace},
      {" ", "_", Renamed::kEndsInDotOrSpace},     {"A. ", "A__", Renamed::kEndsInDotOrSpace},
      {"PRN.", "_PRN_", Renamed::kDevice},  // the first reason found
  };
  for (const auto& c : cases) {
    const avdtool::SafeName safe = avdtool::SafeFileName(c.name);
    EXPECT_EQ(safe.name, c.safe) << c.name;
    EXPECT_EQ(safe.why, c.why) << c.name;
  }
}

TEST(AvdtoolSafeFileName, BytesThatFormNoCharacterBecomeUnderscores) {
  EXPECT_EQ(avdtool::NameOfCharacters("\x95\x5C.DAT"), "\x95\x5C.DAT");
  EXPECT_EQ(avdtool::NameOfCharacters("\x82.TXT"), "_.TXT");
  EXPECT_EQ(avdtool::NameOfCharacters("A\xFF"), "A_");
  // An unassigned code goes whole: its 0x5C never stands alone.
  EXPECT_EQ(avdtool::NameOfCharacters("\x85\x5C.DAT"), "__.DAT");
}

}  // namespace
