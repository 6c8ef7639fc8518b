#include "driver/raw_files.h"

#include <vector>

#include "platform/console.h"
#include "platform/file_io.h"
#include "platform/file_search.h"
#include "platform/paths.h"

namespace driver {

void AddRawFile(const std::string& path, archive::MemberSink& sink) {
  std::vector<uint8_t> bytes;
  switch (platform::ReadWholeFile(path, bytes)) {
    case platform::ReadStatus::kOk:
    case platform::ReadStatus::kEmpty:
      break;
    case platform::ReadStatus::kCannotOpen:
      return;
    case platform::ReadStatus::kNoMemory:
    case platform::ReadStatus::kTooLarge:
      console::Print("Could not allocate memory.");
      return;
    case platform::ReadStatus::kReadError:
      console::Printf("Warning : cannot read %s; left out\n", path.c_str());
      return;
  }
  std::string name = path.substr(platform::NamePartStart(path));
  sink.AddMember(name.c_str(), bytes.data(), bytes.size());
}

void AddMatchingFiles(const std::string& pattern, archive::MemberSink& sink) {
  const std::string prefix = pattern.substr(0, platform::NamePartStart(pattern));
  // The search keeps its own copy of each name only until the next call.
  console::PassProgress progress("Data files");
  for (const char* name = platform::FindFirstName(pattern); name; name = platform::FindNextName()) {
    progress.Next(name);
    AddRawFile(prefix + name, sink);
  }
}

}  // namespace driver
