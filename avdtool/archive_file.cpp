// avdtool's files through the platform's file code, the converter's own:
// only the reasons a line gives are the inspector's.
#include "avdtool/archive_file.h"

#include <new>

#include "base/diagnostics.h"
#include "platform/file_io.h"
#include "platform/output_file.h"
#include "platform/system_error.h"

namespace avdtool {

using platform::Describe;
using platform::LastSystemError;

bool ReadArchiveFile(const std::string& path, std::vector<uint8_t>& bytes, const base::Translations& texts,
                     std::string& error) {
  bytes.clear();
  platform::Result<platform::InputFile> file = platform::InputFile::OpenAsWritten(path);
  if (!file) {
    error = Describe(file.Error(), texts);
    return false;
  }
  if (file->Kind() != platform::FileKind::kRegular) {
    error = file->Kind() == platform::FileKind::kFolder ? texts.Tr("is a folder")
                                                        : texts.Tr("is not a regular file");
    return false;
  }
  if (file->Size() > kMostArchiveSize) {
    error = texts.Tr("is longer than any archive can be");
    return false;
  }
  try {
    bytes.resize(static_cast<size_t>(file->Size()));
  } catch (const std::bad_alloc&) {
    error = texts.Tr("not enough memory to read it");
    return false;
  }
  // A file that shrinks while it is read is cut to what was read.
  const platform::Result<uint64_t> got = file->ReadFromStart(bytes.data(), bytes.size());
  if (!got) {
    error = Describe(got.Error(), texts);
    bytes.clear();
    return false;
  }
  bytes.resize(static_cast<size_t>(*got));
  return true;
}

Written WriteOutputFile(const std::string& path, const std::vector<uint8_t>& bytes, Earlier earlier,
                        const base::Translations& texts, std::string& reason) {
  const std::string part = path + ".part";
  std::optional<platform::OutputFile> file = platform::OutputFile::Create(part);
  if (!file) {
    reason = Describe(LastSystemError(), texts);
    return Written::kFailed;
  }
  if (!file->Write(bytes.data(), bytes.size()) || !file->Close()) {
    reason = Describe(LastSystemError(), texts);
    file.reset();
    platform::RemoveFile(part);
    return Written::kFailed;
  }
  const bool moved =
      earlier == Earlier::kReplace ? platform::ReplaceFile(part, path) : platform::MoveToFreeName(part, path);
  if (moved) return Written::kWritten;
  reason = Describe(LastSystemError(), texts);
  platform::RemoveFile(part);
  return earlier == Earlier::kKeep && platform::AnythingAt(path) ? Written::kExists : Written::kFailed;
}

}  // namespace avdtool
