// The file search's matching and filtering, the same on every platform.
#include "platform/file_search.h"

#include <string>

#include "platform/folder_reader.h"
#include "platform/names.h"
#include "platform/paths.h"

namespace platform {

struct FileSearch::State {
  std::unique_ptr<FolderReader> reader = MakeFolderReader();
  std::string namePattern;
  FoundName found;
};

FileSearch::FileSearch() : state_(std::make_unique<State>()) {}

FileSearch::~FileSearch() = default;

const FoundName* FileSearch::FindFirstName(std::string_view pattern) {
  state_->found = {};
  state_->reader->Close();
  state_->namePattern = std::string(pattern.substr(NamePartStart(pattern)));
  if (!state_->reader->Open(pattern)) return nullptr;
  return FindNextName();
}

const FoundName* FileSearch::FindNextName() {
  State& s = *state_;
  s.found = {};
  std::string_view name;
  while (s.reader->Next(name)) {
    if (name == "." || name == "..") continue;
    const std::optional<std::string> archive = ArchiveNameOf(name);
    if (!NameMatches(s.namePattern, archive ? *archive : name)) continue;
    if (s.reader->IsFolder()) continue;
    s.found.file = name;
    s.found.archive = archive.value_or(std::string());
    if (NameReadings readings = ReadingsOf(name); readings.Ambiguous())
      s.found.rawReading = std::move(*readings.raw);
    return &s.found;
  }
  s.reader->Close();
  return nullptr;
}

}  // namespace platform
