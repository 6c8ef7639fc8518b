// Archives nobody vouches for, read as avdtool reads them: verification, the
// listing in every order, each picture as a PNG in memory and the contact
// sheet, the scenario listings and the code decoder. None may crash, hang or
// read outside the input, and they must agree: an archive that verification
// finds all good reads back whole, every picture of it makes a PNG, its
// listing and sheet succeed, and its scenarios list without a "db" line.
// The input is also taken whole as scenario code, as a target scenario and
// as a source scenario.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "archive/archive_reader.h"
#include "audit/members.h"
#include "audit/verify.h"
#include "avdtool/contact_sheet.h"
#include "avdtool/disasm.h"
#include "avdtool/extract.h"
#include "avdtool/listing.h"
#include "avdtool/png.h"
#include "avdtool/references.h"
#include "base/printable.h"
#include "base/translations.h"
#include "scenario/source_forms.h"
#include "scenario/target_forms.h"

namespace {

// Bounds that keep one input fast: the pixels turned into PNGs, and the
// pictures a contact sheet is drawn of.
constexpr uint64_t kMostPngPixels = uint64_t{1} << 18;
constexpr size_t kMostSheetPictures = 8;

void Require(bool condition) {
  if (!condition) std::abort();
}

bool StartsWithPngSignature(const std::vector<uint8_t>& png) {
  static constexpr uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  return png.size() > sizeof kSignature &&
         std::equal(std::begin(kSignature), std::end(kSignature), png.begin());
}

// A listing holds no byte that could steer a terminal: only line ends,
// printable ASCII and whole Shift-JIS characters.
void RequireSafeListing(const std::string& listing) {
  for (size_t i = 0; i < listing.size(); ++i) {
    const auto b = static_cast<uint8_t>(listing[i]);
    if (b == '\n' || (b >= 0x20 && b < 0x7F) || (b >= 0xA1 && b <= 0xDF)) continue;
    Require(((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) && i + 1 < listing.size());
    const auto trail = static_cast<uint8_t>(listing[++i]);
    Require(trail >= 0x40 && trail <= 0xFC && trail != 0x7F);
  }
}

// True when a line of the listing is a "db" line: its mnemonic column,
// behind the offset and the bytes, holds "db".
bool HasDbLine(const std::string& listing) {
  constexpr size_t kMnemonicColumn = 6 + 2 + 20 + 2;
  size_t start = 0;
  while (start < listing.size()) {
    size_t end = listing.find('\n', start);
    if (end == std::string::npos) end = listing.size();
    const std::string_view line(listing.data() + start, end - start);
    if (line.size() > kMnemonicColumn + 3 && line[0] != ';' && line.substr(kMnemonicColumn, 3) == "db ")
      return true;
    start = end + 1;
  }
  return false;
}

// The input as code, as a target scenario and as a source scenario.
void CheckScenarioViews(std::span<const uint8_t> bytes) {
  const std::vector<scenario::target::Instruction> all = scenario::target::DecodeAll(bytes);
  size_t next = 0;
  for (const scenario::target::Instruction& in : all) {
    Require(in.offset == next && in.size >= 1 && in.offset + in.size <= bytes.size());
    Require((in.form != nullptr) == (in.error == scenario::target::DecodeError::kNone));
    for (const scenario::target::Operand& o : in.operands)
      Require(o.offset > in.offset && o.offset + o.size <= in.offset + in.size);
    next += in.size;
  }
  Require(next == bytes.size());
  // Every picture name the code shows lies inside its instruction.
  for (const avdtool::ShownPicture& p : avdtool::PicturesShown(bytes))
    Require(p.nameOffset > p.instruction && p.nameOffset + p.name.size() < bytes.size());
  for (const scenario::target::CodeProblem& p : scenario::target::CheckCode(bytes))
    Require(p.offset < bytes.size());
  RequireSafeListing(avdtool::ListScenario(bytes));
  const std::string source = avdtool::ListSource(bytes);
  RequireSafeListing(source);
  Require(bytes.empty() || source.find("\n000000  ") != std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> file(data, size);
  CheckScenarioViews(file);
  const audit::Verification verification = audit::Verify(file);
  const bool good = verification.problems.empty();
  const std::string report = audit::VerificationReport(verification);
  Require(report.ends_with(good                                ? "all good\n"
                           : verification.problems.size() == 1 ? " problem\n"
                                                               : " problems\n"));

  // In Japanese the same problems, each a line of Shift-JIS without a
  // control byte.
  static const base::Translations japanese(base::Language::kJapanese);
  const audit::Verification inJapanese = audit::Verify(file, japanese);
  Require(inJapanese.problems.size() == verification.problems.size());
  for (const std::string& p : inJapanese.problems)
    Require(base::Printable(p, base::TextEncoding::kShiftJis) == p);

  const archive::ArchiveReader reader(file);
  Require(reader.Ok() || !good);
  std::string table;
  for (avdtool::SortOrder order :
       {avdtool::SortOrder::kName, avdtool::SortOrder::kOffset, avdtool::SortOrder::kSize}) {
    const avdtool::Status status = avdtool::List(file, order, base::Translations(), table);
    Require(reader.Ok() ? status != avdtool::Status::kCannotRun : status == avdtool::Status::kCannotRun);
    Require(status == avdtool::Status::kGood || !good);
    for (char c : table) Require(c == '\n' || (c >= 0x20 && c < 0x7F));
  }
  std::string listing;
  const avdtool::Status listed = avdtool::Disassemble(file, {}, base::Translations(), listing);
  Require(reader.Ok() ? listed != avdtool::Status::kCannotRun : listed == avdtool::Status::kCannotRun);
  RequireSafeListing(listing);
  if (good) Require(listed == avdtool::Status::kGood && !HasDbLine(listing));
  if (!reader.Ok()) return 0;
  // Each missing picture once, with at least one place; the report in
  // printable Shift-JIS.
  const avdtool::ReferenceCheck references = avdtool::CheckReferences(reader);
  Require(references.missing.size() <= references.shown);
  for (const avdtool::MissingPicture& m : references.missing) Require(!m.places.empty());
  const std::string referenceReport = avdtool::ReferenceReport(references, japanese);
  Require(referenceReport.empty() || referenceReport.ends_with("\n"));
  for (size_t start = 0, end; start < referenceReport.size(); start = end + 1) {
    end = referenceReport.find('\n', start);
    const std::string line = referenceReport.substr(start, end - start);
    Require(base::Printable(line, base::TextEncoding::kShiftJis) == line);
  }
  if (good) Require(archive::ArchiveContents(std::vector<uint8_t>(file.begin(), file.end())).valid);

  // Every member's safe name stays in the folder and is one Windows takes;
  // a name is changed exactly when a reason is given.
  for (const archive::Entry& e : reader.Entries()) {
    const avdtool::SafeName safe = avdtool::SafeFileName(e.name);
    Require(!safe.name.empty() && safe.name != "." && safe.name.find("..") == std::string::npos &&
            safe.name.find('/') == std::string::npos);
    Require(safe.name.back() != '.' && safe.name.back() != ' ');
    Require((safe.why == avdtool::Renamed::kNot) == (safe.name == e.name));
  }

  size_t pictures = 0;
  uint64_t pngPixels = 0;
  std::vector<uint8_t> bytes, png;
  std::string why, note, error;
  audit::MemberUnpacker unpacker(reader);
  for (const archive::Entry& e : reader.Entries()) {
    if (audit::KindOf(e.name) != audit::MemberKind::kPicture) continue;
    if (!unpacker.Unpack(e, bytes, why)) {
      Require(!good);
      ++pictures;
      continue;
    }
    // Named as a picture but not one: data, which verification leaves alone.
    if (audit::KindOf(e.name, bytes) != audit::MemberKind::kPicture) continue;
    ++pictures;
    const std::optional<audit::Picture> picture = audit::ReadPicture(bytes);
    Require(picture.has_value() || !good);
    if (!picture) continue;
    const uint64_t pixels = uint64_t{picture->width} * picture->height;
    if (pngPixels + pixels > kMostPngPixels) continue;
    pngPixels += pixels;
    const bool encoded = avdtool::PictureToPng(*picture, png, note, error);
    Require(encoded);  // every well-formed picture has its PNG
    if (encoded) Require(StartsWithPngSignature(png));
  }

  if (pictures > 0 && pictures <= kMostSheetPictures) {
    std::string notes;
    const avdtool::Status status = avdtool::MakeContactSheet(file, 0, base::Translations(), png, notes);
    Require(StartsWithPngSignature(png));
    Require(status == avdtool::Status::kGood || !good);
  }
  return 0;
}
