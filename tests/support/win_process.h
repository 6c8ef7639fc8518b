#pragma once

// Running a Windows program from a test: its standard output and error
// captured through pipes, exactly as written, standard input the null
// device, a bounded wait.
#include <windows.h>
// windows.h maps ReplaceFile to ReplaceFileA, which would hide
// platform::ReplaceFile from the tests.
#undef ReplaceFile

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

namespace win_process {

struct Result {
  bool started = false;
  bool timedOut = false;  // killed at the deadline
  DWORD exitCode = 0;
  std::string out;  // standard output
  std::string err;  // standard error
};

// `arg` quoted for a command line as the C runtime splits it.
inline std::string Quote(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes before a quote are doubled, and the quote escaped.
    quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    quoted.push_back(c);
  }
  quoted.append(backslashes * 2, '\\');
  quoted.push_back('"');
  return quoted;
}

namespace detail {

// Appends what `pipe` holds now to `into`, without waiting for more.
inline void TakeWhatIsThere(HANDLE pipe, std::string& into) {
  for (;;) {
    DWORD available = 0;
    if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) || available == 0) return;
    char buf[4096];
    DWORD got = 0;
    if (!ReadFile(pipe, buf, std::min<DWORD>(available, sizeof buf), &got, nullptr) || got == 0) return;
    into.append(buf, got);
  }
}

// UTF-16 of UTF-8 text: the programs take paths in UTF-8.
inline std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  return wide;
}

}  // namespace detail

// Runs `exe` with `args` in `workingFolder` (empty: this process's) with
// the process creation flags `flags` (DETACHED_PROCESS: no console at all).
// Paths and arguments are UTF-8, handed on in UTF-16 whatever the code page.
inline Result Run(const std::string& exe, const std::vector<std::string>& args,
                  const std::string& workingFolder = {}, DWORD flags = 0,
                  std::chrono::milliseconds timeout = std::chrono::seconds(120)) {
  Result result;
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE outRead = nullptr, outWrite = nullptr, errRead = nullptr, errWrite = nullptr;
  if (!CreatePipe(&outRead, &outWrite, &inherit, 0)) return result;
  if (!CreatePipe(&errRead, &errWrite, &inherit, 0)) {
    CloseHandle(outRead);
    CloseHandle(outWrite);
    return result;
  }
  // Only the child's ends are inherited.
  SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
  HANDLE nul = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING,
                           0, nullptr);

  std::string commandLine = Quote(exe);
  for (const std::string& a : args) commandLine += " " + Quote(a);
  std::wstring wideCommandLine = detail::Wide(commandLine);
  const std::wstring wideFolder = detail::Wide(workingFolder);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nul;
  startup.hStdOutput = outWrite;
  startup.hStdError = errWrite;
  PROCESS_INFORMATION process{};
  result.started =
      CreateProcessW(detail::Wide(exe).c_str(), wideCommandLine.data(), nullptr, nullptr, TRUE, flags,
                     nullptr, workingFolder.empty() ? nullptr : wideFolder.c_str(), &startup, &process);
  CloseHandle(outWrite);
  CloseHandle(errWrite);
  if (nul != INVALID_HANDLE_VALUE) CloseHandle(nul);
  if (result.started) {
    // The pipes are read while the program runs and once more when it has
    // ended: what it wrote is all there then. Their ends are not waited
    // for, since a process it started (Wine's desktop, for a window) may
    // hold them open long after.
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
      detail::TakeWhatIsThere(outRead, result.out);
      detail::TakeWhatIsThere(errRead, result.err);
      if (WaitForSingleObject(process.hProcess, 5) == WAIT_OBJECT_0) break;
      if (std::chrono::steady_clock::now() > deadline) {
        result.timedOut = true;
        TerminateProcess(process.hProcess, 0xDEAD);
        WaitForSingleObject(process.hProcess, INFINITE);
        break;
      }
    }
    detail::TakeWhatIsThere(outRead, result.out);
    detail::TakeWhatIsThere(errRead, result.err);
    GetExitCodeProcess(process.hProcess, &result.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(outRead);
  CloseHandle(errRead);
  return result;
}

}  // namespace win_process
