#include "sample/international_game.h"

#include <fstream>
#include <stdexcept>
#include <vector>

#include "sample/moe_encoder.h"
#include "sample/sio_writer.h"

namespace tools {
namespace {

namespace fs = std::filesystem;

// `utf8` as a path in the chosen form.
fs::path Named(std::string_view utf8, NameForm form) {
  if (form == NameForm::kShiftJis) return fs::path(Sjis(utf8));
  return fs::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

void Write(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::vector<uint8_t> Bytes(std::string_view text) { return std::vector<uint8_t>(text.begin(), text.end()); }

// A small picture in stripes of `seed`'s colours.
std::vector<uint8_t> Picture(int width, int height, uint8_t seed, bool palette) {
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
  for (size_t i = 0; i < pixels.size(); i += 3) {
    const size_t row = i / 3 / static_cast<size_t>(width);
    pixels[i] = static_cast<uint8_t>(seed * 16 + row * 8);
    pixels[i + 1] = static_cast<uint8_t>(seed * 40);
    pixels[i + 2] = static_cast<uint8_t>(row * 12);
  }
  return palette ? EncodePaletteForm(width, height, pixels.data())
                 : EncodeRunLength(width, height, pixels.data());
}

std::vector<uint8_t> Scenario(std::string_view text, std::string_view next) {
  SioWriter w;
  w.Message(Sjis(text));
  if (!next.empty()) w.GoToScenario(Sjis(next));
  return w.Finish();
}

}  // namespace

bool WriteInternationalGame(const fs::path& game, const fs::path& data, NameForm form, std::string& error) {
  try {
    fs::create_directories(game / "MES");
    fs::create_directories(game / "CG");
    fs::create_directories(data);
    // The prologue goes on with 「第二話」, named in the scenario as on the
    // disk; that one with 「終章」, named in lower case.
    Write(game / "MES" / "PROLOGUE.SIO", Scenario("「はじまり」", "第二話.SIO"));
    Write(game / "MES" / Named("第二話.SIO", form), Scenario("「つづき」", "終章.sio"));
    Write(game / "MES" / Named("終章.SIO", form), Scenario("「おわり」", ""));
    Write(game / Named("夜景.MOE", form), Picture(16, 8, 1, true));
    Write(game / "CG" / Named("背景１.MOE", form), Picture(12, 6, 2, false));
    Write(game / "CG" / Named("表紙.MOE", form), Picture(8, 4, 3, true));  // 表 ends in the byte 0x5C
    Write(game / "CG" / "BG01.MOE", Picture(8, 8, 4, false));
    Write(game / "CG" / Named("Café.MOE", NameForm::kUtf8), Picture(8, 4, 5, true));
    // Names that copies of a game bring along. 「ガイド」 decomposed, as a copy
    // from macOS writes it (a raw Shift-JIS system has no such form).
    Write(
        game / (form == NameForm::kUtf8 ? Named("カ\u3099イト\u3099.MOE", form) : Named("ガイド.MOE", form)),
        Picture(8, 6, 6, false));
    // The bytes CE BC read as UTF-8 「μ」 and as raw Shift-JIS 「ﾎｼ」: the other
    // names of the folder tell which.
    Write(game / fs::path("\xCE\xBC.MOE"), Picture(4, 4, 7, true));
    // Gives the member name of BG01.MOE, which keeps it.
    Write(game / "CG" / "bg01.old.MOE", Picture(8, 8, 8, false));
    // Longer than a member name holds; cut after 「ン」, never inside 「１」.
    Write(game / Named("OPオープニング１.MOE", form), Picture(8, 4, 9, true));
    // Side files of macOS, never members.
    Write(game / Named("._夜景.MOE", form), {0x00, 0x05, 0x16, 0x07, 0x00, 0x02, 0x00, 0x00});
    Write(data / ".DS_Store", {0x00, 0x00, 0x00, 0x01, 'B', 'u', 'd', '1'});
    Write(data / Named("説明書.TXT", form), Bytes(Sjis("架空のゲームです。\r\n")));
    Write(data / Named("表.DAT", form), Bytes("table"));
    Write(data / "README.TXT", Bytes("read me"));
  } catch (const std::exception& e) {
    error = e.what();
    return false;
  }
  return true;
}

}  // namespace tools
