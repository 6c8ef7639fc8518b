#pragma once

#include <string>
#include <vector>

#include "archive/archive_format.h"
#include "archive/archive_writer.h"
#include "platform/output_file.h"
#include "test_support.h"

namespace test_support {

// Writes `members`, in this order, through the real archive writer with
// `header` (the writer fills in the count) and returns the archive's bytes;
// empty when the writer fails. The one place where tests that read archives
// back call the writer.
inline std::vector<uint8_t> WriteArchive(const std::vector<Member>& members,
                                         archive::ArchiveHeader header = {}) {
  TempDir dir;
  base::CollectedDiagnostics diagnostics;
  const platform::DiskFileStore files;
  archive::ArchiveWriter writer(diagnostics, files);
  if (!writer.OpenSpool(dir.Folder())) return {};
  for (const Member& m : members) writer.AddMember(m.name.c_str(), m.bytes.data(), m.bytes.size());
  const std::string path = dir.Folder() + "ARCHIVE.AVD";
  if (!writer.FinishArchive(path, header).written) return {};
  return ReadFile(path);
}

}  // namespace test_support
