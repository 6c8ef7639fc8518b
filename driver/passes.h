#pragma once

#include <string>
#include <vector>

#include "base/diagnostics.h"
#include "base/member_sink.h"
#include "platform/console.h"
#include "scenario/scenario_set.h"

// The conversion passes: each lists its files first (so its progress can
// show the total), then reads them one by one, shows its progress, has the
// converters turn the bytes into members and hands those on. Folders end in
// the separator. The passes that convert return how many members they
// handed on.
namespace driver {

// The names of the files that match a pattern, in the order they are to be
// converted.
using NameLister = std::vector<std::string> (*)(const std::string& pattern);

// The names of the files that match `pattern`, in the order the search
// finds them. The search is over when this returns.
std::vector<std::string> ListMatchingNames(const std::string& pattern);

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
};

// Lists the game's scenario files "MES/*.SIO" into `scenarios`, numbered in
// the order `pass.listNames` gives them, the prologue as number 1.
void ListScenarios(const std::string& gameFolder, scenario::ScenarioSet& scenarios, const PassContext& pass);

// Translates every listed scenario into the member "SEEN%03d.TXT". A file
// that cannot be read or is empty is skipped silently, one longer than the
// translator takes with a warning line; skipped files keep their numbers.
size_t ConvertScenarios(const std::string& gameFolder, const scenario::ScenarioSet& scenarios,
                        const PassContext& pass);

// Converts every ".MOE" picture of `root` when `folder` is empty, otherwise
// of its sub-folder `folder`, into the half-size member "<name>.PDT".
size_t ConvertImageFolder(const std::string& root, const std::string& folder, const PassContext& pass);

// Stores one file unchanged as a member named after the part of its path
// behind the last separator. A file that cannot be opened is skipped
// silently; one that cannot be held in memory or read is skipped with a line.
// True when the member was handed on.
bool AddRawFile(const std::string& path, const PassContext& pass);

// Stores every file that matches `pattern` (a folder and a name pattern);
// sub-folders are neither stored nor searched.
size_t AddMatchingFiles(const std::string& pattern, const PassContext& pass);

}  // namespace driver
