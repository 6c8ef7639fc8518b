#include "platform/interruption.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <cwchar>

#include "platform/windows/console_line.h"
#include "platform/windows/wide.h"
#include "platform/windows/win32.h"

namespace platform {
namespace {

// What the console control handler needs and can reach in no other way:
// mutable globals. The handler runs on a thread of its own while the
// conversion goes on, so the table is changed and read under a lock; the
// handler takes the lock and never gives it back, since it ends the process.
struct NotedFile {
  bool inUse;
  char path[kMaxNotedPathLength];
  wchar_t wide[kMaxNotedPathLength];  // the same path for DeleteFileW
};
SRWLOCK gTableLock = SRWLOCK_INIT;
NotedFile gNotedFiles[kMaxNotedFiles];

// A line as a pipe or file receives it (Shift-JIS) and as a console is
// given it (its characters), both made when the handling is installed: the
// handler allocates nothing.
struct Message {
  char text[256];
  DWORD length;
  wchar_t wide[4 * sizeof text];  // a byte with no character is 4: \xNN
  DWORD wideLength;
};
// Before and after a file has been put in place.
Message gMessages[2];
std::atomic<bool> gReplaced{false};
std::atomic<bool> gHandling{false};

// The exit status, as 128 + the number of the signal the C runtime or a
// POSIX system gives the same event: Ctrl-C is SIGINT (2), Ctrl-Break
// SIGBREAK (21), closing the console a hang-up (SIGHUP, 1), logging off or
// shutting down a termination (SIGTERM, 15).
UINT ExitStatusFor(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
      return 128 + 2;
    case CTRL_BREAK_EVENT:
      return 128 + 21;
    case CTRL_CLOSE_EVENT:
      return 128 + 1;
    default:
      return 128 + 15;
  }
}

BOOL WINAPI OnControlEvent(DWORD event) {
  if (!gHandling.load()) return FALSE;  // the former handling applies
  AcquireSRWLockExclusive(&gTableLock);
  // The conversion still has them open: they go once it has ended below.
  for (const NotedFile& file : gNotedFiles) {
    if (file.inUse) DeleteFileW(file.wide);
  }
  if (const HANDLE console = windows::StandardOutputConsole()) windows::EraseLine(console);
  const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  DWORD written = 0;
  DWORD mode = 0;
  const Message& message = gMessages[gReplaced.load() ? 1 : 0];
  if (err == nullptr || err == INVALID_HANDLE_VALUE) {
    // no standard error: nothing to say
  } else if (GetConsoleMode(err, &mode)) {
    WriteConsoleW(err, message.wide, message.wideLength, &written, nullptr);
  } else {
    WriteFile(err, message.text, message.length, &written, nullptr);
  }
  // At once, as _exit does: no exit handlers and no buffered output, which
  // the interrupted thread may be in the middle of.
  TerminateProcess(GetCurrentProcess(), ExitStatusFor(event));
  return TRUE;
}

}  // namespace

bool NoteCreatedFile(const std::string& path) {
  if (path.empty() || path.size() >= kMaxNotedPathLength || path.find('\0') != std::string::npos)
    return false;
  const std::wstring wide = windows::SystemPath(path);
  if (wide.empty() || wide.size() >= kMaxNotedPathLength) return false;
  AcquireSRWLockExclusive(&gTableLock);
  NotedFile* freeSlot = nullptr;
  bool noted = false;
  for (NotedFile& file : gNotedFiles) {
    if (file.inUse && path == file.path) noted = true;
    if (!file.inUse && !freeSlot) freeSlot = &file;
  }
  if (!noted && freeSlot) {
    std::memcpy(freeSlot->path, path.c_str(), path.size() + 1);
    std::wmemcpy(freeSlot->wide, wide.c_str(), wide.size() + 1);
    freeSlot->inUse = true;
    noted = true;
  }
  ReleaseSRWLockExclusive(&gTableLock);
  return noted;
}

void ForgetCreatedFile(const std::string& path) {
  AcquireSRWLockExclusive(&gTableLock);
  for (NotedFile& file : gNotedFiles) {
    if (file.inUse && path == file.path) file.inUse = false;
  }
  ReleaseSRWLockExclusive(&gTableLock);
}

void NoteFileReplaced() { gReplaced.store(true); }

struct InterruptionHandling::Saved {
  bool installed = false;
};

InterruptionHandling::InterruptionHandling(std::string_view message, std::string_view messageAfterReplace)
    : saved_(std::make_unique<Saved>()) {
  const std::string_view texts[] = {message, messageAfterReplace};
  for (size_t i = 0; i < std::size(texts); ++i) {
    gMessages[i].length = static_cast<DWORD>(std::min(texts[i].size(), sizeof gMessages[i].text));
    std::memcpy(gMessages[i].text, texts[i].data(), gMessages[i].length);
    const std::wstring wide = windows::WideOfSjis({gMessages[i].text, gMessages[i].length});
    gMessages[i].wideLength = static_cast<DWORD>(std::min(wide.size(), std::size(gMessages[i].wide)));
    std::wmemcpy(gMessages[i].wide, wide.data(), gMessages[i].wideLength);
  }
  gReplaced.store(false);
  gHandling.store(true);
  // A process started with Ctrl-C ignored keeps ignoring it: the system
  // does not call the handlers then.
  saved_->installed = SetConsoleCtrlHandler(OnControlEvent, TRUE) != 0;
}

InterruptionHandling::~InterruptionHandling() {
  gHandling.store(false);
  if (saved_->installed) SetConsoleCtrlHandler(OnControlEvent, FALSE);
}

}  // namespace platform
