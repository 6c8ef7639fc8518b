#pragma once

#include <cstddef>
#include <map>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/diagnostics.h"
#include "base/member_sink.h"
#include "scenario/picture_references.h"

// Whether the archive holds every picture the scenarios show. The scenario
// pass records what the translator wrote, the picture and data passes what
// they stored; at the end the pictures without their member are reported in
// one line. Nothing here reads a file or changes a member.
namespace driver {

// A picture the scenarios show that no member holds.
struct MissingPicture {
  std::string name;    // as the first scenario that shows it wrote it
  std::string folder;  // the game's sub-folder it would likely come from, or ""
};

class PictureCheck {
 public:
  // The pictures one translated scenario shows.
  void AddShown(std::span<const scenario::PictureReference> pictures);
  // A member handed on by a pass over `folder`: "" for the game folder
  // itself, "CG", "TACHI", "OPENING", or kDataFolder.
  void AddStored(std::string_view member, std::string_view folder);

  // The pictures shown but not stored, each once, in order of first showing.
  std::vector<MissingPicture> Missing() const;

  static constexpr std::string_view kDataFolder = "DATA";

 private:
  struct Shown {
    std::string name;
    bool sprite = false;
  };
  std::vector<Shown> shown_;
  std::set<std::string> shownMembers_;
  std::set<std::string> stored_;                                        // as the archive stores them
  std::map<std::string, std::map<std::string, size_t>> prefixFolders_;  // prefix -> folder -> pictures
};

// Hands every member on to `next` and records its name with the folder of
// the pass that is running.
class RecordingSink final : public base::MemberSink {
 public:
  RecordingSink(base::MemberSink& next, PictureCheck& check) : next_(next), check_(check) {}
  void SetFolder(std::string_view folder) { folder_ = folder; }
  void AddMember(const char* name, const uint8_t* data, size_t length) override {
    check_.AddStored(name, folder_);
    next_.AddMember(name, data, length);
  }
  void AddMember(std::string name, std::vector<uint8_t>&& bytes) override {
    check_.AddStored(name, folder_);
    next_.AddMember(std::move(name), std::move(bytes));
  }

 private:
  base::MemberSink& next_;
  PictureCheck& check_;
  std::string folder_;
};

// How many names the warning lists before "and N more".
inline constexpr size_t kMissingPicturesListed = 3;

// Reports `missing` as one warning line; nothing when it is empty.
void ReportMissingPictures(const std::vector<MissingPicture>& missing, base::Diagnostics& diag);

}  // namespace driver
