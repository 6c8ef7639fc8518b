// The file search's matching and filtering, the same on every platform.
#include "platform/file_search.h"

#include <string>

#include "platform/folder_reader.h"
#include "platform/paths.h"

namespace platform {

struct FileSearch::State {
  std::unique_ptr<FolderReader> reader = MakeFolderReader();
  std::string namePattern;
  std::string found;
};

FileSearch::FileSearch() : state_(std::make_unique<State>()) {}

FileSearch::~FileSearch() = default;

const char* FileSearch::FindFirstName(std::string_view pattern) {
  state_->found.clear();
  state_->reader->Close();
  state_->namePattern = std::string(pattern.substr(NamePartStart(pattern)));
  if (!state_->reader->Open(pattern)) return nullptr;
  return FindNextName();
}

const char* FileSearch::FindNextName() {
  State& s = *state_;
  s.found.clear();
  std::string_view name;
  while (s.reader->Next(name)) {
    if (name == "." || name == "..") continue;
    if (!NameMatches(s.namePattern, name)) continue;
    if (s.reader->IsFolder()) continue;
    s.found = name;
    return s.found.c_str();
  }
  s.reader->Close();
  return nullptr;
}

}  // namespace platform
