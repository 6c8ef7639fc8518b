#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "archive/archive_reader.h"
#include "base/translations.h"

// What avdtool knows about the members of an archive: their kind (from the
// name, as the interpreter finds them), the header of a picture and of a
// scenario, and how a name is shown on a console.
namespace audit {

enum class MemberKind { kScenario, kPicture, kData };

// The kind a member's name claims: "SEEN" and three digits and ".TXT" a
// scenario, a name ending in ".PDT" a picture, anything else data.
MemberKind KindOf(std::string_view name);
// The kind of a member whose bytes are at hand: one named as a scenario or a
// picture is data unless its bytes begin with that kind's magic ("TPC32",
// "PDT10"). The DATA folder holds the interpreter's own files, and one of
// them may well be named "SYSTEM.PDT" without being a picture of ours.
MemberKind KindOf(std::string_view name, std::span<const uint8_t> bytes);
// The kind as `avdtool list` names it, the same in every language.
std::string_view KindName(MemberKind kind);

// "1 byte", "2 bytes".
std::string ByteCount(uint64_t n, const base::Translations& texts = base::Translations());

// How a report names a member: its name with every byte outside printable
// ASCII written as \xNN (base::Printable) and its entry number,
// "SEEN001.TXT (entry 0)".
std::string MemberLabel(const archive::Entry& entry, const base::Translations& texts = base::Translations());

// The most pixels a contact sheet has in either direction.
inline constexpr uint32_t kMostPictureSide = 16384;

// A "PDT10" picture member, its planes pointing into the member's bytes.
struct Picture {
  uint32_t sourceWidth = 0;  // as the header stores them
  uint32_t sourceHeight = 0;
  uint32_t width = 0;  // of the stored picture: half of the source
  uint32_t height = 0;
  bool hasAlpha = false;
  std::span<const uint8_t> pixels;  // width × height little-endian 5-6-5 pixels
  std::span<const uint8_t> alpha;   // width × height bytes, or empty

  // The pixel at (x, y) as 8-bit red, green, blue (top bits repeated into
  // the low ones) and alpha (255 without an alpha plane).
  void Rgba(uint32_t x, uint32_t y, uint8_t rgba[4]) const;
};

// Everything that keeps `member` from being a well-formed picture, one
// phrase each ("does not start with \"PDT10\""); empty when it is one.
std::vector<std::string> PictureProblems(std::span<const uint8_t> member,
                                         const base::Translations& texts = base::Translations());

// The picture in `member`, or nothing when PictureProblems finds anything.
std::optional<Picture> ReadPicture(std::span<const uint8_t> member);

// Everything wrong with the header of a scenario member; empty when none.
std::vector<std::string> ScenarioProblems(std::span<const uint8_t> member,
                                          const base::Translations& texts = base::Translations());

// Everything wrong with the code of a scenario member, decoded from code
// offset 0 to the code length its header states (or to the end of the
// member, when that comes first): bytes that start no instruction, strings
// without their zero, jumps that land neither on an instruction nor at the
// end of the code. Each begins "code offset 0x000123: ".
std::vector<std::string> ScenarioCodeProblems(std::span<const uint8_t> member,
                                              const base::Translations& texts = base::Translations());

// The code length a scenario's header states (nothing when the member is
// shorter than the header).
std::optional<uint32_t> CodeLength(std::span<const uint8_t> member);

// The bytes at the start of a member that tell whether a member named as
// `kind` is one, and its header: those that KindOf(name, bytes),
// PictureHeader and CodeLength look at. None for data.
size_t HeaderBytes(MemberKind kind);

// The stored size and alpha plane of a picture, read from its header alone
// (`first`, the member's first HeaderBytes(kPicture) bytes or all of a
// shorter one)
// and the member's whole length: nothing when PictureProblems would find
// anything in a member of that length beginning so. For a table that shows
// pictures without decompressing them whole.
std::optional<Picture> PictureHeader(std::span<const uint8_t> first, uint64_t length);

// Decompresses the members of an archive one after another, within a budget:
// together they may make no more than the whole file could if no two
// members shared bytes (kMostExpansion times its length). An archive whose
// entries point many times at the same bytes thus cannot make the work grow
// beyond what its length allows.
class MemberUnpacker {
 public:
  // The reasons come in the language of `texts`.
  explicit MemberUnpacker(const archive::ArchiveReader& reader,
                          const base::Translations& texts = base::Translations())
      : reader_(reader), texts_(texts), budget_(archive::kMostExpansion * reader.File().size()) {}

  // Decompresses `entry` into `out`; false with the reason in `why` when it
  // cannot be.
  bool Unpack(const archive::Entry& entry, std::vector<uint8_t>& out, std::string& why);

  // Decompresses only the first `count` bytes of `entry` into `out` (all
  // of it when it is shorter; archive::UnpackMemberPrefix); false with the
  // reason in `why` when they cannot be had. The budget pays for what the
  // decompressor made.
  bool UnpackPrefix(const archive::Entry& entry, size_t count, std::vector<uint8_t>& out, std::string& why);

 private:
  const archive::ArchiveReader& reader_;
  base::Translations texts_;
  uint64_t budget_;
};

}  // namespace audit
