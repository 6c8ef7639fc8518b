#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "avdtool/exit_status.h"
#include "base/translations.h"
#include "platform/output_folder.h"

namespace avdtool {

struct ExtractOptions {
  std::vector<std::string> names;  // the members to write, as the user names them (MemberQuery); empty: all
  bool png = false;                // also write each ".PDT" picture as a PNG
};

// Why a member is not written under its own name.
enum class Renamed {
  kNot,
  kNoName,            // it has none
  kOutside,           // "/", "\\", "." or ".." would reach outside the folder
  kNotShiftJis,       // the system names files by characters, and some bytes form none
  kNotInNames,        // a character Windows takes in no file name: < > : " | ? *
  kControl,           // a control character
  kDevice,            // Windows reserves it for a device: CON, NUL.TXT, com1.PDT, ...
  kEndsInDotOrSpace,  // Windows drops a dot or a space at the end
};

struct SafeName {
  std::string name;  // Shift-JIS
  Renamed why = Renamed::kNot;
};

// The name a member is written under before it is made unique, in
// Shift-JIS, the same on every system so that an extract gives one folder
// everywhere: the member's own name when every system takes it as it is;
// otherwise, with the first reason found, that name with every '/', '\\',
// control character, dot beside a dot and character of "<>:\"|?*" replaced
// by '_', a '_' before a name Windows reserves for a device and each dot or
// space at its end replaced by '_' ("unnamed" for no name, "_" for "."). The
// name is read as Shift-JIS: the second byte of a double-byte character
// (0x5C in "表", 95 5C) is part of that character. Bytes that form no
// character stay; NameOfCharacters replaces them where the system needs it.
SafeName SafeFileName(std::string_view name);

// `name` (Shift-JIS) with each byte of what forms no character replaced by
// '_'.
std::string NameOfCharacters(std::string_view name);

// False when names are given and none of them asks for a member of the
// archive in `file` (as Extract matches them), with a "no member named"
// line for each in `report`: then nothing is to be written, and the folder
// need not be created.
bool NamesAnyMember(std::span<const uint8_t> file, const ExtractOptions& options,
                    const base::Translations& texts, std::string& report);

// Writes members of the archive in `file` into `folder`, each under the
// system's form of its name (platform::FileNameOfMember, in UTF-8 where
// file names are: platform::FileNamesAreUtf8), or, with a note giving the
// reason, under a safe one (SafeFileName, then "~2", "~3", ... when an
// earlier member of this run took it, letter case aside as Windows compares
// names, full-width and accented letters included). Nothing is written
// outside the folder: files are created
// exclusively and never through a link, so a file or link already in the
// folder is left alone and reported. With `png`, picture "X.PDT" is also
// written as "X.png".
//
// Returns kGood when everything asked for was written; kProblems when a
// member cannot be decompressed or a picture cannot become a PNG;
// kCannotRun when the directory cannot be read, a name matches no member,
// or a file cannot be written or is in the folder already. `report` gets a
// line for each note or failure and a closing summary, in the language of
// `texts` (Shift-JIS).
Status Extract(std::span<const uint8_t> file, platform::OutputFolder& folder, const ExtractOptions& options,
               const base::Translations& texts, std::string& report);

}  // namespace avdtool
