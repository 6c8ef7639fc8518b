#include "driver/picture_check.h"

#include <algorithm>

#include "archive/archive_format.h"
#include "base/printable.h"
#include "base/sjis.h"

namespace driver {
namespace {

// The game's sub-folders of pictures, and the one that holds the character
// sprites (the pictures of the sprite-name table).
constexpr std::string_view kPictureFolders[] = {"CG", "TACHI", "OPENING"};
constexpr std::string_view kSpriteFolder = "TACHI";
constexpr std::string_view kPictureSuffix = ".PDT";

// A member name as the archive stores it: at most 15 bytes, upper-cased.
std::string StoredName(std::string_view name) {
  std::string stored(name.substr(0, archive::kNameSize - 1));
  base::UpperCaseName(stored);
  return stored;
}

// What a picture name says of its series: the bytes before its first digit,
// upper-cased ("BG" for "bg03"); empty when it starts with one.
std::string SeriesOf(std::string_view name) {
  std::string series(name.substr(0, name.find_first_of("0123456789")));
  base::UpperCaseName(series);
  return series;
}

}  // namespace

void PictureCheck::AddShown(std::span<const scenario::PictureReference> pictures) {
  for (const scenario::PictureReference& p : pictures) {
    if (shownMembers_.insert(scenario::PictureMemberName(p.name)).second)
      shown_.push_back({p.name, p.use == scenario::PictureUse::kSprite});
  }
}

void PictureCheck::AddStored(std::string_view member, std::string_view folder) {
  const std::string stored = StoredName(member);
  stored_.insert(stored);
  if (folder == kDataFolder || !stored.ends_with(kPictureSuffix)) return;
  const std::string series =
      SeriesOf(std::string_view(stored).substr(0, stored.size() - kPictureSuffix.size()));
  if (!series.empty()) ++prefixFolders_[series][std::string(folder)];
}

std::vector<MissingPicture> PictureCheck::Missing() const {
  std::vector<MissingPicture> missing;
  for (const Shown& s : shown_) {
    // Looked up whole among the names as the archive stores them: a name
    // longer than a member's name can hold is never found.
    if (stored_.count(scenario::PictureMemberName(s.name))) continue;
    MissingPicture& m = missing.emplace_back();
    m.name = s.name;
    if (s.sprite) {
      m.folder = kSpriteFolder;
      continue;
    }
    // The folder that holds the most pictures of the same series, or the
    // one the series is named after.
    const std::string series = SeriesOf(s.name);
    if (auto it = prefixFolders_.find(series); it != prefixFolders_.end()) {
      m.folder = std::max_element(it->second.begin(), it->second.end(), [](const auto& a, const auto& b) {
                   return a.second < b.second;
                 })->first;
    } else if (std::find(std::begin(kPictureFolders), std::end(kPictureFolders), series) !=
               std::end(kPictureFolders)) {
      m.folder = series;
    }
  }
  return missing;
}

void ReportMissingPictures(const std::vector<MissingPicture>& missing, base::Diagnostics& diag) {
  if (missing.empty()) return;
  const size_t count = missing.size();
  const size_t listed = std::min(count, kMissingPicturesListed);
  std::string names;
  for (size_t i = 0; i < listed; ++i) {
    if (i > 0) names += ", ";
    names += base::Printable(missing[i].name, base::TextEncoding::kShiftJis);
  }
  if (count > listed) names = base::Format(diag.Translate("%s, and %zu more"), names.c_str(), count - listed);

  // A sub-folder is named when more than half of the pictures would come
  // from it.
  std::map<std::string, size_t> byFolder;
  for (const MissingPicture& m : missing) {
    if (!m.folder.empty()) ++byFolder[m.folder];
  }
  std::string folderNote;
  for (const auto& [folder, n] : byFolder) {
    if (2 * n > count)
      folderNote = base::Format(diag.Translate(" (most belong in the folder %s)"), folder.c_str());
  }
  if (count == 1) {
    diag.Report("Warning : 1 picture that the scenarios show is not in the game folder: %s%s\n",
                names.c_str(), folderNote.c_str());
  } else {
    diag.Report("Warning : %zu pictures that the scenarios show are not in the game folder: %s%s\n", count,
                names.c_str(), folderNote.c_str());
  }
}

}  // namespace driver
