// The converter as the page's worker calls it: the command-line run over
// folders the worker has mounted, the game-data check that comes before it,
// and the member table and contact sheet of the archive it made.
#include <emscripten.h>

#include <string>
#include <string_view>
#include <vector>

#include "archive/compressor.h"
#include "avdtool/contact_sheet.h"
#include "avdtool/exit_status.h"
#include "avdtool/listing.h"
#include "driver/driver.h"
#include "driver/game_data.h"
#include "platform/file_io.h"
#include "platform/language.h"

// Hands the page the result `kind` ("members", "contact-sheet" or
// "notes"): `length` bytes at `data`.
EM_JS(void, avd_web_result, (const char* kind, const uint8_t* data, size_t length),
      { Module["onResult"](UTF8ToString(kind), HEAPU8.slice(data, data + length)); });

extern "C" {

EMSCRIPTEN_KEEPALIVE int avd_holds_game_data(const char* folder) {
  return driver::HoldsGameData(folder) ? 1 : 0;
}

// Converts `game` with the files of `data` into `output`/DAV299.AVD with
// `jobs` compression workers, as the command line does; its exit status.
EMSCRIPTEN_KEEPALIVE int avd_convert(const char* game, const char* data, const char* output, int force,
                                     int jobs) {
  const std::string jobsOption = "--jobs=" + std::to_string(jobs);
  std::vector<std::string_view> args = {"--output", output, "--data", data, jobsOption};
  if (force) args.emplace_back("--force");
  args.emplace_back("--");
  args.emplace_back(game);
  return driver::Run(args);
}

// The member table (Shift-JIS text, as avdtool list prints it), the contact
// sheet (a PNG picture) and the sheet's notes of the archive at `path`; 0
// when all of them were made, else avdtool's exit status.
EMSCRIPTEN_KEEPALIVE int avd_inspect(const char* path) {
  std::vector<uint8_t> archive;
  if (platform::ReadWholeFile(path, archive) != platform::ReadStatus::kOk) return 1;
  const base::Translations texts(platform::UserLanguage());
  std::string table;
  const avdtool::Status listed = avdtool::List(archive, avdtool::SortOrder::kName, texts, table);
  avd_web_result("members", reinterpret_cast<const uint8_t*>(table.data()), table.size());
  std::vector<uint8_t> sheet;
  std::string notes;
  const avdtool::Status drawn = avdtool::MakeContactSheet(archive, 0, texts, sheet, notes);
  avd_web_result("contact-sheet", sheet.data(), sheet.size());
  avd_web_result("notes", reinterpret_cast<const uint8_t*>(notes.data()), notes.size());
  return avdtool::ExitCode(avdtool::Worse(listed, drawn));
}

// A compression worker's: compresses `length` bytes at `data`; the packed
// form is at avd_packed() (avd_packed_size() bytes) until the next call.
// Returns the compressor's status.
namespace {
archive::Compressor compressor;
archive::Compressor::Packed packed;
}  // namespace

EMSCRIPTEN_KEEPALIVE int avd_compress(const uint8_t* data, size_t length) {
  packed = compressor.Compress(data, length);
  compressor.Trim(size_t{4} << 20);
  return static_cast<int>(packed.status);
}
EMSCRIPTEN_KEEPALIVE const uint8_t* avd_packed() { return packed.bytes; }
EMSCRIPTEN_KEEPALIVE size_t avd_packed_size() { return packed.size; }

}  // extern "C"
