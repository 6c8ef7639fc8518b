#include "platform/system_error.h"

#include <cerrno>
#include <cstring>

#include "base/translations.h"

namespace platform {

SystemError LastSystemError() { return {errno}; }

std::string Describe(SystemError error, const base::Translations& texts) {
  using base::ToTranslate;
  static constexpr struct {
    int code;
    const char* english;
  } kCommon[] = {{ENOENT, ToTranslate("No such file or directory")},
                 {EACCES, ToTranslate("Permission denied")},
                 {EPERM, ToTranslate("Operation not permitted")},
                 {ENOSPC, ToTranslate("No space left on device")},
                 {EEXIST, ToTranslate("File exists")},
                 {ENOTDIR, ToTranslate("Not a directory")},
                 {EISDIR, ToTranslate("Is a directory")},
                 {EROFS, ToTranslate("Read-only file system")},
                 {EBUSY, ToTranslate("Device or resource busy")},
                 {EINVAL, ToTranslate("Invalid argument")},
                 {ENAMETOOLONG, ToTranslate("File name too long")},
                 {ENOTEMPTY, ToTranslate("Directory not empty")},
                 {ENOMEM, ToTranslate("Cannot allocate memory")},
                 {ELOOP, ToTranslate("Too many levels of symbolic links")}};
  for (const auto& common : kCommon) {
    if (common.code == error.code) return texts.Tr(common.english);
  }
  return std::strerror(error.code);
}

}  // namespace platform
