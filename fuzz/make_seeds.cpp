// Writes the seed corpus of the fuzz targets: valid pictures of both forms,
// valid scenarios that reach every handler and the text-message state
// machine, a few member lists for the archive writer, and small archives for
// the archive inspector.
//   make_seeds <folder>   (writes <folder>/image, /scenario, /archive, /avdtool)
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "archive/archive_format.h"
#include "driver/driver.h"
#include "image/moe_builder.h"
#include "scenario/sio_builder.h"
#include "scenario/source_opcodes.h"
#include "support/archive_builder.h"
#include "support/member_builders.h"

namespace {

namespace fs = std::filesystem;
namespace op = scenario::op;
using scenario_test::Sio;

void Write(const fs::path& folder, const std::string& name, const std::vector<uint8_t>& bytes) {
  fs::create_directories(folder);
  std::ofstream(folder / name, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void WritePictures(const fs::path& folder) {
  Write(folder, "palette-worked", test_support::Hex(moe_test::kWorkedPaletteFile));
  Write(folder, "runlength-worked", test_support::Hex(moe_test::kWorkedRunLengthFile));

  // 8 × 4, two groups per row: literals, every copy distance of one row, and
  // flag bits that change the control bytes from row to row.
  moe_test::PaletteFile p;
  p.width = 8;
  p.height = 4;
  p.flags = "11 01 10 11";
  p.deltas = "00 01 11 45 40 12";
  p.indices = "00 01 02 03 01 00 02 02 03 00 01 01 00 00 02 01";
  p.palette = "00 00 FF  00 FF 00  FF 00 00  10 20 30";
  Write(folder, "palette-8x4", p.Bytes());

  // 6 × 6: runs, literal blocks, keyed pixels, 0x80 as the end.
  Write(folder, "runlength-6x6",
        moe_test::RunLengthFile(6, 6, "05 00 FF 00  83 10 20 30 00 FF 00 40 50 60  7F FF FF FF  80"));
  // An odd width and height, cut short without an end byte.
  Write(folder, "runlength-odd", moe_test::RunLengthFile(5, 3, "03 01 02 03  82 00 FF 00 04 05 06"));
}

void WriteScenarios(const fs::path& folder) {
  const std::string name = "\x81\x79\x82\xA0\x81\x7A";   // 【あ】
  const std::string quote = "\x81\x75\x82\xA2\x81\x76";  // 「い」
  const std::string spaces = "\x81\x40\x81\x40";         // two ideographic spaces
  const std::string marks = "\x81\x9C\x81\xA5\x82\xA0";  // ●▼あ
  const std::string arrow = "\x82\xA0\x81\xA8\x82\xA2";  // あ→い
  const std::string open = "\x81\x75\x82\xA0";           // 「あ

  Sio text;
  for (const std::string& m : {name, quote, name}) text.Op(op::kMessage).Str(m);
  text.Op(op::kMusicStop);
  for (const std::string& m : {quote, quote, quote}) text.Op(op::kMessage).Str(m);
  text.Op(op::kClearCharacters);
  for (const std::string& m :
       {quote, open, arrow, quote + quote, spaces, marks, std::string(), std::string("abc"), name}) {
    text.Op(op::kMessage).Str(m);
  }
  Write(folder, "text", text.Bytes());

  Sio flow;
  flow.Mark("top").Op(op::kJump).Label("end");
  flow.Op(op::kScenarioByName).Str("prologue.sio");
  flow.Op(op::kScenarioByName).Str("A.SIO");
  flow.Op(op::kFixedScenario994).Word(3);
  flow.Op(op::kFixedScenario995).Word(5);
  flow.Op(op::kAddToVariable).Word(600).Const(300);
  flow.Op(op::kSubtractFromVariable).Word(5).Var(512);
  flow.Op(op::kSetVariable).Word(1).Var(100);
  flow.Op(op::kFixedScenario996);
  for (uint16_t w = 1; w <= 7; ++w) flow.Word(w);
  flow.Op(op::kJumpIfEqual).Word(5).Const(1).Label("top").Op(op::kListEnd);
  flow.Op(op::kJumpUnlessRelation71).Word(5).Var(7).Label("top").Label("end").Op(0x00);
  flow.Op(op::kMultiWayJump).Word(9).Label("top").Const(1).Label("end").Var(2).Op(op::kListEnd);
  flow.Op(op::kChoiceMenu).Label("top").Str("\x82\xA0").Label("end").Str("").Op(op::kListEnd);
  flow.Op(op::kIgnoredString).Str("skip");
  flow.Op(op::kIgnoredWord).Word(1);
  flow.Op(op::kIgnoredByteAndWord).Op(1).Word(2);
  flow.Op(op::kIgnoredTwoWords).Word(1).Word(2);
  flow.Op(op::kJump).Word(3).Mark("end").Op(0x00);
  Write(folder, "control-flow", flow.Bytes());

  Sio scene;
  scene.Op(op::kShowCharacters).Op(1).Word(1);
  scene.Op(op::kShowCharacters).Op(2).Word(0).Word(30);
  scene.Op(op::kShowCharacters).Op(3).Word(60).Word(2000).Word(0);
  scene.Op(op::kShowCharacters).Op(4).Word(1).Word(2).Word(3).Word(0);
  scene.Op(op::kShowCharacters).Op(0);
  scene.Op(op::kClearCharacters);
  scene.Op(op::kBackground).Str("bg001.moe");
  scene.Op(op::kBackgroundAlt).Str("YAMI");
  scene.Op(op::kBlackScreen);
  scene.Op(op::kMusic).Word(7);
  scene.Op(op::kMusicStop);
  scene.Op(op::kSoundEffect).Str("se01.wav");
  scene.Op(op::kCalendarUpdate);
  scene.Op(op::kSetDate).Word(4).Word(1);
  scene.Op(op::kDateWithText).Str("\x82\xA0");
  scene.Op(op::kDateNoText);
  Write(folder, "scene", scene.Bytes());
}

void WriteMemberLists(const fs::path& folder) {
  // Read by FuzzedDataProvider: the flag for the archive's name from the
  // end, names and contents from the front.
  Write(folder, "names",
        test_support::Hex("05 73 65 65 6E 00 00 10 41 42 43 44 45 46 47 48 49 4A 4B"
                          "4C 4D 4E 4F 50 51 52 53 82 61 62 2E 70 64 74 01 FF 03"));
  Write(folder, "kinds",
        test_support::Hex("61 5C 62 00 01 40 00 00 7A 02 FF 00 00 12 34 56 78"
                          "83 9F 61 00 02 00 10 00 00 AB CD EF 01 00 01 02"));
}

void WriteArchives(const fs::path& folder) {
  const archive::ArchiveHeader header = archive::MakeHeader();
  const std::vector<uint8_t> text = {'d', 'a', 't', 'a', ' ', 'd', 'a', 't', 'a'};
  Write(folder, "every-kind",
        test_support::WriteArchive(
            {{"SEEN001.TXT", test_support::Tpc({0x3B, 0x11, 0x17})},
             {"BG.PDT", test_support::Pdt(8, 6, std::vector<uint16_t>(12, 0xF800), {})},
             {"CHR.PDT", test_support::Pdt(4, 4, {0x07E0, 0x001F, 0xFFFF, 0}, {255, 0, 128, 64})},
             {"EMPTY.PDT", test_support::Pdt(1, 1, {}, {})},
             {"README.TXT", text},
             {"NOTHING", {}}},
            header));
  Write(folder, "empty", test_support::WriteArchive({}, header));
  // Data files named as a picture and a scenario, as DATA may hold them.
  Write(folder, "data-named-as-members",
        test_support::WriteArchive(
            {{"SYSTEM.PDT", text}, {"SEEN002.TXT", text}, {"PDT", {'P', 'D', 'T', '1'}}}, header));
  Write(folder, "same-names",
        test_support::WriteArchive({{"b", text}, {"B", text}, {"\x82\xA0.PDT", text}}, header));
}

// Names as folders and archives may hold them: plain, Shift-JIS, UTF-8,
// with an escape sequence, broken in each encoding.
void WriteNames(const fs::path& folder) {
  const auto bytes = [](std::string_view s) { return std::vector<uint8_t>(s.begin(), s.end()); };
  Write(folder, "plain", bytes("SEEN001.TXT"));
  Write(folder, "sjis", bytes("\x83L\x83\x8B\x83i\x81[\x83g\xB1\xB2.MOE"));
  Write(folder, "utf8", bytes("\xE3\x82\xB2\xE3\x83\xBC\xE3\x83\xA0/\xC2\x85\xF0\x9F\x98\x80"));
  Write(folder, "escape",
        bytes("X\x1B]0;PWN\x07.SIO\x7F\x9B"
              "2J\\x41"));
  Write(folder, "broken", bytes("\x81\x1B\x80\xA0\xFD\xE0\xED\xA0\x80\xC0\xAF\xF4\x90\x80\x80\x82"));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds <corpus folder>\n");
    return 2;
  }
  const fs::path corpus = argv[1];
  WritePictures(corpus / "image");
  WriteScenarios(corpus / "scenario");
  WriteMemberLists(corpus / "archive");
  WriteArchives(corpus / "avdtool");
  WriteNames(corpus / "printable");
  return 0;
}
