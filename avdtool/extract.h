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
  std::vector<std::string> names;  // the members to write (letter case aside); empty: all of them
  bool png = false;                // also write each ".PDT" picture as a PNG
};

// The file name a member is written under, before it is made unique: the
// name itself (as platform::FileNameOfMember gives it) when it stays inside
// the folder; otherwise every '/', '\\', control character, dot of a ".."
// and byte the system takes in no name replaced by '_'. "unnamed" for an
// empty name.
std::string SafeFileName(std::string_view name);

// False when names are given and none of them asks for a member of the
// archive in `file` (as Extract matches them), with a "no member named"
// line for each in `report`: then nothing is to be written, and the folder
// need not be created.
bool NamesAnyMember(std::span<const uint8_t> file, const ExtractOptions& options,
                    const base::Translations& texts, std::string& report);

// Writes members of the archive in `file` into `folder`, each under its name, or, with a note, under a safe
// one (SafeFileName, then "~2", "~3", ... when an earlier member of this run
// took it). Nothing is written outside the folder: files are created
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
