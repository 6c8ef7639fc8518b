#include "platform/failure_reason.h"

#include "base/diagnostics.h"
#include "platform/windows/win32.h"

namespace platform {

// The common reasons in the C library's words, as on other systems, so that
// one translation serves both.
std::string LastFailureReason(const base::Translations& texts) {
  const DWORD error = GetLastError();
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
      return texts.Tr("No such file or directory");
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
      return texts.Tr("Permission denied");
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return texts.Tr("The file is in use by another program");
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return texts.Tr("No space left on device");
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return texts.Tr("File exists");
    default:
      return base::Format(texts.Tr("Windows error %lu"), static_cast<unsigned long>(error));
  }
}

}  // namespace platform
