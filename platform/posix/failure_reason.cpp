#include "platform/failure_reason.h"

#include <cerrno>
#include <cstring>

namespace platform {

std::string LastFailureReason(const base::Translations& texts) {
  const int error = errno;
  // The keys are the C library's own English words.
  using base::ToTranslate;
  static constexpr struct {
    int error;
    const char* english;
  } kCommon[] = {{ENOENT, ToTranslate("No such file or directory")},
                 {EACCES, ToTranslate("Permission denied")},
                 {EPERM, ToTranslate("Operation not permitted")},
                 {ENOSPC, ToTranslate("No space left on device")},
                 {EEXIST, ToTranslate("File exists")},
                 {ENOTDIR, ToTranslate("Not a directory")},
                 {EISDIR, ToTranslate("Is a directory")},
                 {EROFS, ToTranslate("Read-only file system")},
                 {EBUSY, ToTranslate("Device or resource busy")}};
  for (const auto& common : kCommon) {
    if (common.error == error) return texts.Tr(common.english);
  }
  return std::strerror(error);
}

}  // namespace platform
