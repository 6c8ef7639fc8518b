#include "avdtool/archive_file.h"

#include "platform/tool_files.h"

namespace avdtool {

bool ReadArchiveFile(const std::string& path, std::vector<uint8_t>& bytes, const base::Translations& texts,
                     std::string& error) {
  return platform::ReadRegularFile(path, bytes, kMostArchiveSize, texts, error);
}

bool WriteOutputFile(const std::string& path, const std::vector<uint8_t>& bytes,
                     const base::Translations& texts, std::string& error) {
  return platform::WriteFileInPlace(path, bytes, texts, error);
}

}  // namespace avdtool
