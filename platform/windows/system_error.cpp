#include "platform/system_error.h"

#include "base/diagnostics.h"
#include "platform/windows/win32.h"

namespace platform {

SystemError LastSystemError() { return {static_cast<int>(GetLastError())}; }

// The common reasons in the C library's words, as on every system; others
// by their number.
std::string Describe(SystemError error, const base::Translations& texts) {
  switch (static_cast<DWORD>(error.code)) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_BAD_PATHNAME:
      return texts.Tr("No such file or directory");
    case ERROR_ACCESS_DENIED:
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
    case ERROR_DIRECTORY:
      return texts.Tr("Not a directory");
    case ERROR_DIRECTORY_NOT_SUPPORTED:
      return texts.Tr("Is a directory");
    case ERROR_WRITE_PROTECT:
      return texts.Tr("Read-only file system");
    case ERROR_INVALID_PARAMETER:
      return texts.Tr("Invalid argument");
    case ERROR_FILENAME_EXCED_RANGE:
      return texts.Tr("File name too long");
    case ERROR_DIR_NOT_EMPTY:
      return texts.Tr("Directory not empty");
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return texts.Tr("Cannot allocate memory");
    case ERROR_CANT_RESOLVE_FILENAME:
      return texts.Tr("Too many levels of symbolic links");
    case ERROR_BUSY:
    case ERROR_BUSY_DRIVE:
      return texts.Tr("Device or resource busy");
    case ERROR_NOT_READY:
      return texts.Tr("The device is not ready");
    default:
      return base::Format(texts.Tr("Windows error %lu"), static_cast<unsigned long>(error.code));
  }
}

}  // namespace platform
