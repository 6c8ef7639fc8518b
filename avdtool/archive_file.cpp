#include "avdtool/archive_file.h"

#include "platform/tool_files.h"

namespace avdtool {

bool ReadArchiveFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
  return platform::ReadRegularFile(path, bytes, kMostArchiveSize, error);
}

bool WriteOutputFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
  return platform::WriteFileInPlace(path, bytes, error);
}

}  // namespace avdtool
