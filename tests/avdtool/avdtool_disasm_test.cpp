// avdtool's listings of scenario code, and verify's check of that code.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audit/verify.h"
#include "avdtool/disasm.h"
#include "avdtool_support.h"
#include "base/diagnostics.h"
#include "base/translations.h"
#include "driver/dispatch_table.h"
#include "sample/sio_writer.h"
#include "scenario/scenario_set.h"
#include "scenario/scenario_translator.h"
#include "scenario/sio_builder.h"

namespace {

using namespace avdtool_test;
using scenario_test::Sio;
namespace op = scenario::op;

// The target scenario the converter makes of `sio`.
std::vector<uint8_t> Translated(const Sio& sio) {
  base::CollectedDiagnostics diag;
  const scenario::ScenarioSet scenarios;
  scenario::ScenarioTranslator translator(driver::TranslatorDispatchTable(), scenarios, diag);
  const std::span<const uint8_t> member = translator.Translate(sio.Bytes(), "T.SIO");
  return {member.begin(), member.end()};
}

// The listing without its header line.
std::string Code(const std::vector<uint8_t>& member) {
  const std::string listing = avdtool::ListScenario(member);
  return listing.substr(listing.find('\n') + 1);
}

TEST(AvdtoolDisasm, AConditionalJumpAndItsLabels) {
  const Sio sio = Sio()
                      .Op(op::kJumpIfEqual)
                      .Word(5)
                      .Const(1)
                      .Label("back")
                      .Op(op::kListEnd)
                      .Marker()
                      .Mark("back")
                      .Op(op::kJump)
                      .Label(0);
  const std::vector<uint8_t> member = Translated(sio);
  EXPECT_EQ(avdtool::ListScenario(member),
            "; header: \"TPC32\", 40: 1, 80: 1, 84: 256, 88: 65536, code length 23\n"
            "000000:\n"
            "000000  15 28 3b 15 11 29 ..  if.ne        5, 1, -> 0x00000f\n"
            "00000a  1c 12 00 00 00        jump         -> 0x000012\n"
            "00000f:\n"
            "00000f  3b 11 12              set          1, 2\n"
            "000012:\n"
            "000012  1c 00 00 00 00        jump         -> 0x000000\n");
}

TEST(AvdtoolDisasm, MessagesAChoiceAndCharacters) {
  const Sio sio = Sio()
                      .Op(op::kMessage)
                      .Str("\x81\x79\x82\xA0\x81\x7A")
                      .Op(op::kMessage)
                      .Str("\x81\x75\x82\xA0\x81\x76")
                      .Op(op::kMessage)
                      .Str("\x81\x75\x82\xA2\x81\x76")
                      .Op(op::kChoiceMenu)
                      .Label("end")
                      .Str("yes")
                      .Label("end")
                      .Str("")
                      .Op(op::kListEnd)
                      .Mark("end")
                      .Op(op::kShowCharacters)
                      .Op(2)
                      .Word(0)
                      .Word(1);
  EXPECT_EQ(Code(Translated(sio)),
            "000000  ff 81 6b 82 a0 81 ..  text         \"\x81\x6b\x82\xa0\x81\x6c\"\n"
            "000008  02                    msg.2\n"
            "000009  01                    msg.1\n"
            "00000a  ff 81 75 82 a0 81 ..  text         \"\x81\x75\x82\xa0\x81\x76\"\n"
            "000012  03                    msg.3\n"
            "000013  02                    msg.2\n"
            "000014  01                    msg.1\n"
            "000015  ff 81 75 82 a2 81 ..  text         \"\x81\x75\x82\xa2\x81\x76\"\n"
            "00001d  01                    msg.1\n"
            "00001e  58 01 27 3e           choice       999\n"
            "000022  22 00                 op34.0\n"
            "000024  ff 79 65 73 00        text         \"yes\"\n"
            "000029  00                    op0\n"
            "00002a  ff 00                 text         \"\"\n"
            "00002c  00                    op0\n"
            "00002d  23 1e 02 27 3e 3a ..  choice.jumps 2, 999, -> 0x00003a, -> 0x00003a\n"
            "00003a:\n"
            "00003a  0b 30                 op11.48\n"
            "00003c  0b 22 01 40 11 10 ..  chars        1, 1, 0, \"AOI1A01\", 0, 0, 399, 479, 260, 0\n");
}

TEST(AvdtoolDisasm, TheSourceListingShowsWhereALabelMissesAnInstruction) {
  const Sio sio = Sio()
                      .Op(op::kSetVariable)
                      .Word(600)
                      .Var(512)
                      .Op(op::kJumpIfNotEqual)
                      .Word(1)
                      .Const(2)
                      .Label(2)
                      .Op(op::kListEnd)
                      .Op(0x05)
                      .Op(op::kMessage)
                      .Str("a\x01\"")
                      .Op(op::kJump)
                      .Label(40);
  EXPECT_EQ(
      avdtool::ListSource(sio.Bytes()),
      "; source, 24 bytes\n"
      "000000  0b 02 58 01 02 00     set          v600, v512\n"
      "000006  c1 00 01 00 00 02 ..  if.ne        v1, 2, -> 0x000002 (not an instruction), -> 0x00000f\n"
      "00000f:\n"
      "00000f  05                    db           0x05\n"
      "000010  f0 61 01 22 00        message      \"a\\x01\\x22\"\n"
      "000015  01 00 28              jump         -> 0x000028 (beyond the end)\n");
}

TEST(AvdtoolDisasm, TextsKeepTheirCharactersAndEscapeTheRest) {
  EXPECT_EQ(avdtool::ShownText("\x82\xA0 a\\\"\x1B[2J\x7F\xB1"), "\x82\xA0 a\\x5C\\x22\\x1B[2J\\x7F\xB1");
  // A lead byte without a trail byte that completes it stands alone.
  EXPECT_EQ(avdtool::ShownText("\x82\x0A\x81"), "\\x82\\x0A\\x81");
  EXPECT_EQ(avdtool::ShownText("\x80\xFD\xA0"), "\\x80\\xFD\\xA0");
}

// A scenario, then the same scenario broken in each of the ways verify must
// catch: each is one problem line (or more) and a status of 1, and each is
// still listed.
class AvdtoolCodeCheck : public ::testing::Test {
 protected:
  // if.ne at 0 (slot at 6 -> 0x0f), jump at 0x0a (slot at 0x0b -> 0x12),
  // set at 0x0f, text at 0x12 ("\x82\xA0", its zero at 0x15), msg.1 at 0x16.
  AvdtoolCodeCheck()
      : member_(Translated(Sio()
                               .Op(op::kJumpIfEqual)
                               .Word(5)
                               .Const(1)
                               .Label("end")
                               .Op(op::kListEnd)
                               .Marker()
                               .Mark("end")
                               .Op(op::kMessage)
                               .Str("\x82\xA0"))) {}

  uint8_t& Code(size_t offset) { return member_.at(99 + offset); }

  // Verify names the member, the offset and `what`; disasm lists it.
  void ExpectCaught(const std::string& where, const std::string& what) {
    const audit::Verification v = audit::Verify(ArchiveOf({{"SEEN001.TXT", member_}}));
    const std::string report = audit::VerificationReport(v);
    EXPECT_NE(report.find("SEEN001.TXT (entry 0): code offset " + where + ": " + what), std::string::npos)
        << report;
    EXPECT_FALSE(v.problems.empty());
    EXPECT_TRUE(report.ends_with(std::to_string(v.problems.size()) +
                                 (v.problems.size() == 1 ? " problem\n" : " problems\n")));
    EXPECT_NE(avdtool::ListScenario(member_).find("000000  15 28"), std::string::npos);
  }

  std::vector<uint8_t> member_;
};

TEST_F(AvdtoolCodeCheck, TheConvertersCodeIsGood) {
  EXPECT_EQ(audit::VerificationReport(audit::Verify(ArchiveOf({{"SEEN001.TXT", member_}}))),
            "1 member, all good\n");
}

TEST_F(AvdtoolCodeCheck, AJumpIntoAnInstruction) {
  Code(6) = 0x10;
  ExpectCaught("0x000006", "jump to 0x000010, which is not the start of an instruction");
}

TEST_F(AvdtoolCodeCheck, AJumpPastTheEnd) {
  Code(0x0b) = 0x18;
  ExpectCaught("0x00000b", "jump to 0x000018, beyond the end of the code (0x000017)");
}

TEST_F(AvdtoolCodeCheck, AnUnknownOpcode) {
  Code(0x0f) = 0x07;
  ExpectCaught("0x00000f", "3 bytes from here start no instruction: at the first, opcode 7, no form has");
  ExpectCaught("0x000006", "jump to 0x00000f, which is not the start");
  EXPECT_NE(avdtool::ListScenario(member_).find("00000f  07                    db           0x07\n"),
            std::string::npos);
}

// In Japanese every piece of a problem's line is Japanese: the member's
// label, the offset, the fault and its reason, the count.
TEST_F(AvdtoolCodeCheck, InJapaneseTheProblemsAreJapanese) {
  Code(0x0f) = 0x07;
  const base::Translations japanese(base::Language::kJapanese);
  const std::string report =
      audit::VerificationReport(audit::Verify(ArchiveOf({{"SEEN001.TXT", member_}}), japanese), japanese);
  EXPECT_EQ(report,
            tools::Sjis("SEEN001.TXT (エントリ 0): コードオフセット 0x000006: 0x00000f へのジャンプですが, "
                        "そこは命令の始まりではありません\n"
                        "SEEN001.TXT (エントリ 0): コードオフセット 0x00000f: ここからの 3 バイトはどの命令"
                        "の始まりでもありません: 先頭はオペコード 7, このオペコードとサブコードの命令形式は"
                        "ありません\n"
                        "問題 2 件\n"));
}

TEST_F(AvdtoolCodeCheck, AStringWithoutItsZero) {
  Code(0x15) = 0x41;
  ExpectCaught("0x000012",
               "the last 5 bytes are cut-off code: a string has no zero before the end of the code");
}

TEST_F(AvdtoolCodeCheck, ACodeLengthThatCutsAnInstruction) {
  base::PutU32(member_.data() + 95, 0x0d);
  ExpectCaught("0x00000a",
               "the last 3 bytes are cut-off code: the instruction runs past the end of the code");
  ExpectCaught("0x000006", "jump to 0x00000f, beyond the end of the code (0x00000d)");
}

// Three characters at a time: 51 bytes of code for 8 of source, so the
// buffer overflows in the middle of an instruction.
TEST(AvdtoolCodeCheckOverflow, AnOverflowLeavesCutOffCodeThatVerifyReports) {
  Sio sio;
  for (int i = 0; i < 1300; ++i) sio.Op(op::kShowCharacters).Op(3).Word(1).Word(30).Word(60);
  const std::vector<uint8_t> member = Translated(sio);
  ASSERT_EQ(member.size(), 65536u);
  const audit::Verification v = audit::Verify(ArchiveOf({{"SEEN001.TXT", member}}));
  ASSERT_EQ(v.problems.size(), 1u) << audit::VerificationReport(v);
  EXPECT_TRUE(v.problems[0].starts_with("SEEN001.TXT (entry 0): code offset 0x00ff")) << v.problems[0];
  EXPECT_TRUE(v.problems[0].ends_with("cut-off code: the instruction runs past the end of the code"))
      << v.problems[0];
}

TEST(AvdtoolDisasm, TheArchiveListingNamesItsMembers) {
  const std::vector<uint8_t> file =
      ArchiveOf({{"SEEN002.TXT", Tpc({0x3B, 0x11, 0x17})}, {"SEEN001.TXT", Tpc({0x07})}, {"X.PDT", {}}});
  std::string out;
  EXPECT_EQ(avdtool::Disassemble(file, {"seen002.txt"}, base::Translations(), out), avdtool::Status::kGood);
  EXPECT_EQ(out,
            "; SEEN002.TXT (entry 1), 102 bytes\n"
            "; header: \"TPC32\", 40: 0, 80: 0, 84: 0, 88: 0, code length 3\n"
            "000000  3b 11 17              set          1, 7\n\n");
  out.clear();
  EXPECT_EQ(avdtool::Disassemble(file, {}, base::Translations(), out), avdtool::Status::kGood);
  EXPECT_NE(out.find("000000  07                    db           0x07\n"), std::string::npos);
  out.clear();
  EXPECT_EQ(avdtool::Disassemble(file, {"X.PDT"}, base::Translations(), out), avdtool::Status::kCannotRun);
  EXPECT_EQ(out, "no scenario member named X.PDT\n");
  out.clear();
  EXPECT_EQ(avdtool::Disassemble(std::vector<uint8_t>(10, 0), {}, base::Translations(), out),
            avdtool::Status::kCannotRun);
}

// A file of DATA named like a scenario is no code, whatever its length.
TEST(AvdtoolDisasm, AMemberNamedLikeAScenarioWhoseBytesAreNotOneIsData) {
  const std::vector<uint8_t> file = ArchiveOf({{"SEEN001.TXT", Bytes(std::string(200, 'x'))},
                                               {"SEEN002.TXT", Bytes("hi")},
                                               {"SEEN003.TXT", Tpc({0x3B, 0x11, 0x17})}});
  std::string out;
  EXPECT_EQ(avdtool::Disassemble(file, {"SEEN001.TXT", "seen002.txt"}, base::Translations(), out),
            avdtool::Status::kGood);
  EXPECT_EQ(out,
            "; SEEN001.TXT (entry 0), 200 bytes\n"
            "; SEEN001.TXT: data, not a scenario (it does not begin with \"TPC32\"); nothing to list\n\n"
            "; SEEN002.TXT (entry 1), 2 bytes\n"
            "; SEEN002.TXT: data, not a scenario (it does not begin with \"TPC32\"); nothing to list\n\n");
}

}  // namespace
