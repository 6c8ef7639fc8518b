#pragma once

#include <string>

#include "archive/member_sink.h"

namespace driver {

// Stores one file unchanged as a member named after the part of its path
// behind the last separator. A file that cannot be opened is skipped
// silently; one that cannot be held in memory or read is skipped with a line.
void AddRawFile(const std::string& path, archive::MemberSink& sink);

// Stores every file that matches `pattern` (a folder ending in the separator
// and a name pattern); sub-folders are neither stored nor searched.
void AddMatchingFiles(const std::string& pattern, archive::MemberSink& sink);

}  // namespace driver
