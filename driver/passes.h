#pragma once

#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/diagnostics.h"
#include "base/member_sink.h"
#include "driver/picture_check.h"
#include "platform/console.h"
#include "platform/file_search.h"
#include "scenario/scenario_set.h"

// The conversion passes: each lists its files first (so its progress can
// show the total), then reads them one by one, shows its progress, has the
// converters turn the bytes into members and hands those on. Folders end in
// the separator. The passes that convert return how many members they
// handed on.
//
// One policy for a file a pass has found, whether scenario, picture or data
// file:
// - it cannot be opened (it went away since the listing, is no regular file,
//   or may not be read): skipped without a line, as if the listing had not
//   found it;
// - its contents cannot be held in memory (nor, for a picture, its decoded
//   pixels): skipped after "Could not allocate memory." (with no line end);
// - it cannot be read whole: skipped after "Warning : cannot read <path>;
//   left out";
// - it is empty: a scenario or a picture is skipped without a line (there is
//   nothing to convert), a data file becomes an empty member.
// Before any is read, the files a pass lists are sorted out:
// - a side file of macOS (".DS_Store", or "._*" beginning 00 05 16 07) is
//   skipped with a note;
// - a name that reads both as UTF-8 and as raw Shift-JIS is read the way the
//   other names of its folder read (as UTF-8 when they do not tell, with a
//   line naming both readings);
// - a file whose name Shift-JIS cannot hold (platform::ArchiveNameOf) is left
//   out with the line "Warning : no Shift-JIS name for <path>; left out";
// - of two files that give one member name (as stored: upper-cased, at most
//   15 bytes), the second is left out with a line naming both: in one folder
//   the one with the larger archive name, whatever the listing order; across
//   folders and passes the later handed on (PassContext::names), checked as
//   it is handed on. A left-out scenario takes no number;
// - a member name longer than 15 bytes gets a line naming its stored form.
// Every other file is stored, listed and referred to by its archive name
// and opened by its own.
// Every line counts as a warning, and every name or path in a line is
// shown with its control bytes escaped (platform::PathForMessage).
namespace driver {

// The files that match a pattern, by both names, in the order they are to be
// converted.
using NameLister = std::vector<platform::FoundName> (*)(const std::string& pattern);

// The files that match `pattern`, in the order the search finds them. The
// search is over when this returns.
std::vector<platform::FoundName> ListMatchingNames(const std::string& pattern);

// The member names the passes of one conversion have handed on (as stored),
// each with the path of the file that gave it.
class MemberNames {
 public:
  // True when `stored` is free, now taken by `path`; otherwise the line that
  // leaves `path` out, naming the file that took it.
  bool Claim(const std::string& stored, const std::string& path, base::Diagnostics& diag);

 private:
  std::map<std::string, std::string> taken_;
};

// What every pass works with.
struct PassContext {
  platform::Console& console;  // progress
  // The lines of the passes and the converters; with the archive writer as
  // the sink, its OrderedDiagnostics(), which keeps them in their places among
  // the writer's own lines.
  base::Diagnostics& diag;
  base::MemberSink& sink;  // the finished members
  // Where the passes find their files; tests that need one order whatever the
  // file system lists hand their own.
  NameLister listNames = ListMatchingNames;
  // Where the scenario pass records the pictures each scenario shows, and
  // ConvertGame what it stores (may be null: no check).
  PictureCheck* pictures = nullptr;
  // The names claimed across passes (ConvertGame keeps them); without them
  // only the files of one folder are told apart.
  MemberNames* names = nullptr;
};

// Lists the game's scenario files "MES/*.SIO" into `scenarios`, numbered in
// the order `pass.listNames` gives them, the prologue as number 1.
void ListScenarios(const std::string& gameFolder, scenario::ScenarioSet& scenarios, const PassContext& pass);

// Translates every listed scenario into the member "SEEN%03d.TXT". A file
// longer than the translator takes is skipped with a warning line, others
// as the policy above says; skipped files keep their numbers.
size_t ConvertScenarios(const std::string& gameFolder, const scenario::ScenarioSet& scenarios,
                        const PassContext& pass);

// Converts every ".MOE" picture of `root` when `folder` is empty, otherwise
// of its sub-folder `folder`, into the half-size member "<name>.PDT".
size_t ConvertImageFolder(const std::string& root, const std::string& folder, const PassContext& pass);

// Stores one file unchanged as the member `memberName`; without one, named
// after the part of its path behind the last separator. True when the
// member was handed on.
bool AddRawFile(const std::string& path, const PassContext& pass, std::string_view memberName = {});

// Stores every file that matches `pattern` (a folder and a name pattern);
// sub-folders are neither stored nor searched. A file named as one of
// `ownFiles` (the run's own spool and archive, when the folder is the one
// they are written into) is left out with a line.
size_t AddMatchingFiles(const std::string& pattern, const PassContext& pass,
                        std::span<const std::string_view> ownFiles = {});

}  // namespace driver
