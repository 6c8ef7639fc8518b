#pragma once

#include <string>

#include "archive/archive_format.h"
#include "driver/passes.h"

namespace driver {

// The archive header as the driver prepares it: magic, fixed fields and the
// game title; the member count is filled in when the archive is written.
archive::ArchiveHeader PrepareArchiveHeader();

// Runs every conversion pass, in their fixed order, over `gameFolder` and
// the "DATA" folder of `converterFolder` (both ending in the separator).
void ConvertGame(const std::string& gameFolder, const std::string& converterFolder, const PassContext& pass);

// The whole run: banners, folder choice, conversion, archive, key wait, with
// `workers` compression threads (0: one per processor the process may run
// on). Returns the code of the key that ended the wait (-1 without a
// terminal).
int Run(unsigned workers = 0);

}  // namespace driver
