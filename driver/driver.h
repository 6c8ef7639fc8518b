#pragma once

#include <string>

#include "archive/archive_format.h"
#include "archive/member_sink.h"

namespace driver {

// The archive header as the driver prepares it: magic, fixed fields and the
// game title; the member count is filled in when the archive is written.
archive::ArchiveHeader PrepareArchiveHeader();

// Runs every conversion pass over `gameFolder` (ending in the separator) and
// the "DATA" folder of `converterFolder`, handing each member to `sink`.
void ConvertGame(const std::string& gameFolder, const std::string& converterFolder,
                 archive::MemberSink& sink);

// The whole run: banners, folder choice, conversion, archive, key wait.
// Returns the code of the key that ended the wait (-1 without a terminal).
int Run();

}  // namespace driver
