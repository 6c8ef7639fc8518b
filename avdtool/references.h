#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "archive/archive_reader.h"
#include "base/translations.h"
#include "scenario/picture_references.h"

// The pictures an archive's scenarios show, read back from their code with
// the table of instruction forms, and the check that each has its member
// "NAME.PDT" (letter case aside), as the interpreter looks it up.
namespace avdtool {

// A picture name in a scenario's code.
struct ShownPicture {
  std::string name;          // as the code writes it
  uint32_t instruction = 0;  // code offset of the instruction that shows it
  uint32_t nameOffset = 0;   // code offset of the name itself
  scenario::PictureUse use = scenario::PictureUse::kBackground;
};

// The pictures `code` shows, in code order: the picture name handed to the
// interpreter before a background or black screen (target 89, 1 with the
// number 1), and each sprite of a character display.
std::vector<ShownPicture> PicturesShown(std::span<const uint8_t> code);

// The same for a scenario member (header and code); empty when it is
// shorter than its header.
std::vector<ShownPicture> PicturesShownByScenario(std::span<const uint8_t> member);

// Where a picture is shown.
struct PicturePlace {
  std::string scenario;  // the member's name
  uint32_t offset = 0;   // code offset of the instruction
};

// A picture that some scenario shows and no member holds.
struct MissingPicture {
  std::string member;                // "NAME.PDT", as looked up
  std::vector<PicturePlace> places;  // every place, in directory order
};

struct ReferenceCheck {
  size_t shown = 0;  // distinct pictures shown, letter case aside
  std::vector<MissingPicture> missing;
};

// How many places a report names for one missing picture.
inline constexpr size_t kPlacesListed = 3;

// Checks the references of every scenario member of `reader` that can be
// decompressed (the format check reports the others).
ReferenceCheck CheckReferences(const archive::ArchiveReader& reader);

// One line per missing picture ("missing picture BG05.PDT, shown by
// SEEN002.TXT at 0x000123, SEEN004.TXT at 0x000040 and 2 more places"),
// then "N of M pictures shown are missing", in the language of `texts`;
// nothing when every picture is present.
std::string ReferenceReport(const ReferenceCheck& check,
                            const base::Translations& texts = base::Translations());

// One line per picture the scenario member `name` shows ("000123  sprite
// AOI1A01.PDT", with " missing" where no member holds it), for
// `avdtool list --references`. Returns 0, 1 when the scenario is not in the
// archive or cannot be read (`out` then holds the reason in the language of
// `texts`).
int ListReferences(const archive::ArchiveReader& reader, std::string_view name,
                   const base::Translations& texts, std::string& out);

}  // namespace avdtool
