// Archives nobody vouches for, read as avdtool reads them: verification, the
// listing in every order, each picture as a PNG in memory and the contact
// sheet. None may crash, hang or read outside the input, and they must agree:
// an archive that verification finds all good reads back whole, every
// picture of it makes a PNG, and its listing and sheet succeed.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "archive/archive_reader.h"
#include "archive/members.h"
#include "archive/verify.h"
#include "avdtool/contact_sheet.h"
#include "avdtool/listing.h"
#include "avdtool/png.h"

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> file(data, size);
  const archive::Verification verification = archive::Verify(file);
  const bool good = verification.problems.empty();
  const std::string report = archive::VerificationReport(verification);
  Require(report.ends_with(good                                ? "all good\n"
                           : verification.problems.size() == 1 ? " problem\n"
                                                               : " problems\n"));

  const archive::ArchiveReader reader(file);
  Require(reader.Ok() || !good);
  std::string table;
  for (avdtool::SortOrder order :
       {avdtool::SortOrder::kName, avdtool::SortOrder::kOffset, avdtool::SortOrder::kSize}) {
    Require(avdtool::List(file, order, table) == (reader.Ok() ? 0 : 1));
    for (char c : table) Require(c == '\n' || (c >= 0x20 && c < 0x7F));
  }
  if (!reader.Ok()) return 0;
  if (good) Require(archive::ArchiveContents(std::vector<uint8_t>(file.begin(), file.end())).valid);

  size_t pictures = 0;
  uint64_t pngPixels = 0;
  std::vector<uint8_t> bytes, png;
  std::string why, note, error;
  archive::MemberUnpacker unpacker(reader);
  for (const archive::Entry& e : reader.Entries()) {
    if (archive::KindOf(e.name) != archive::MemberKind::kPicture) continue;
    if (!unpacker.Unpack(e, bytes, why)) {
      Require(!good);
      ++pictures;
      continue;
    }
    // Named as a picture but not one: data, which verification leaves alone.
    if (archive::KindOf(e.name, bytes) != archive::MemberKind::kPicture) continue;
    ++pictures;
    const std::optional<archive::Picture> picture = archive::ReadPicture(bytes);
    Require(picture.has_value() || !good);
    if (!picture) continue;
    const uint64_t pixels = uint64_t{picture->width} * picture->height;
    if (pngPixels + pixels > kMostPngPixels) continue;
    pngPixels += pixels;
    const bool encoded = avdtool::PictureToPng(*picture, png, note, error);
    Require(encoded ==
            (picture->width <= archive::kMostPictureSide && picture->height <= archive::kMostPictureSide));
    if (encoded) Require(StartsWithPngSignature(png));
  }

  if (pictures > 0 && pictures <= kMostSheetPictures) {
    std::string notes;
    const int status = avdtool::MakeContactSheet(file, 0, png, notes);
    Require(StartsWithPngSignature(png));
    Require(status == 0 || !good);
  }
  return 0;
}
