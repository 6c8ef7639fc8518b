#include "platform/windows/wide.h"

#include <climits>
#include <optional>

#include "base/printable.h"
#include "base/sjis.h"
#include "platform/names.h"
#include "platform/path_forms.h"
#include "platform/paths.h"
#include "platform/windows/win32.h"

namespace platform {
namespace windows {
namespace {

// The conversions count in ints: longer text goes in pieces cut between
// characters by the callers' own rules; no path comes near this.
constexpr size_t kMostAtOnce = INT_MAX / 4;

// The code page of the messages and the archive's names, named here and
// nowhere else: the console's own code page and the system's ANSI code page
// may be any.
constexpr UINT kShiftJis = 932;

// Shift-JIS text is converted in pieces of at most this many bytes (the
// conversion counts in ints), cut between characters.
constexpr size_t kMostPerPiece = size_t{1} << 16;

// The length of the longest prefix of `sjis`, at most kMostPerPiece bytes,
// that does not cut a two-byte character.
size_t PieceLength(std::string_view sjis) {
  if (sjis.size() <= kMostPerPiece) return sjis.size();
  size_t end = 0;
  while (end < kMostPerPiece) {
    const size_t step = base::IsCp932LeadByte(static_cast<unsigned char>(sjis[end])) ? 2 : 1;
    if (end + step > kMostPerPiece) break;
    end += step;
  }
  return end;
}

// Shift-JIS to UTF-16, appended to `wide`; false (with nothing appended)
// when a code in it has no character.
bool AppendWide(std::string_view sjis, std::wstring& wide) {
  const int in = static_cast<int>(sjis.size());
  const int need = MultiByteToWideChar(kShiftJis, MB_ERR_INVALID_CHARS, sjis.data(), in, nullptr, 0);
  if (need <= 0) return false;
  const size_t start = wide.size();
  wide.resize(start + static_cast<size_t>(need));
  const int got =
      MultiByteToWideChar(kShiftJis, MB_ERR_INVALID_CHARS, sjis.data(), in, wide.data() + start, need);
  wide.resize(start + static_cast<size_t>(got > 0 ? got : 0));
  return got > 0;
}

}  // namespace

std::wstring WideOfCodePage(unsigned codePage, std::string_view text) {
  if (text.empty() || text.size() > kMostAtOnce) return {};
  const int in = static_cast<int>(text.size());
  const int need = MultiByteToWideChar(codePage, 0, text.data(), in, nullptr, 0);
  if (need <= 0) return {};
  std::wstring wide(static_cast<size_t>(need), L'\0');
  const int got = MultiByteToWideChar(codePage, 0, text.data(), in, wide.data(), need);
  wide.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return wide;
}

std::wstring Wide(std::string_view utf8) { return WideOfCodePage(CP_UTF8, utf8); }

std::wstring WideOfSjis(std::string_view sjis) {
  std::wstring wide;
  while (!sjis.empty()) {
    const size_t piece = PieceLength(sjis);
    if (!AppendWide(sjis.substr(0, piece), wide)) {
      // Character by character, to escape only what does not convert.
      for (size_t at = 0; at < piece;) {
        const size_t n =
            base::IsCp932LeadByte(static_cast<unsigned char>(sjis[at])) && at + 1 < piece ? 2 : 1;
        if (!AppendWide(sjis.substr(at, n), wide)) {
          for (size_t i = 0; i < n; ++i) {
            std::string escape;
            base::AppendEscape(static_cast<uint8_t>(sjis[at + i]), escape);
            wide.append(escape.begin(), escape.end());
          }
        }
        at += n;
      }
    }
    sjis.remove_prefix(piece);
  }
  return wide;
}

namespace {

bool IsSeparator(char c) { return kSeparators.find(c) != std::string_view::npos; }

// A path that is not full, relative to the current folder ("sheet.png",
// "..\x"), to the current drive's root ("\x") or to a drive's own current
// folder ("Y:x"), made full the way Windows makes it, with its last part
// kept as it is: Windows would take "CON" or "NUL.png" there for a device,
// which its "\\?\" form makes a file in that folder. A full path, or one
// in a device form, comes back as it is; nothing when the folder cannot be
// made full.
std::optional<std::string> FullPath(std::string_view path) {
  const bool drive = path.size() >= 2 && path[1] == ':' &&
                     ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  if (drive ? path.size() >= 3 && IsSeparator(path[2])
            : path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]))
    return std::string(path);
  size_t nameStart = NamePartStart(path);
  if (drive && nameStart < 2) nameStart = 2;
  const std::string_view folder = path.substr(0, nameStart);
  std::optional<std::string> full = FullFolderPath(folder.empty() ? "." : folder);
  if (!full) return std::nullopt;
  return *full + std::string(path.substr(nameStart));
}

}  // namespace

std::wstring SystemPath(std::string_view utf8) {
  if (utf8.empty()) return {};
  const std::optional<std::string> full = FullPath(utf8);
  return Wide(ExtendedLengthPath(full ? *full : utf8));
}

std::string Utf8(std::wstring_view wide) {
  if (wide.empty() || wide.size() > kMostAtOnce) return {};
  const int in = static_cast<int>(wide.size());
  const int need = WideCharToMultiByte(CP_UTF8, 0, wide.data(), in, nullptr, 0, nullptr, nullptr);
  if (need <= 0) return {};
  std::string utf8(static_cast<size_t>(need), '\0');
  const int got = WideCharToMultiByte(CP_UTF8, 0, wide.data(), in, utf8.data(), need, nullptr, nullptr);
  utf8.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return utf8;
}

}  // namespace windows

// Code page 932 as Windows has it, without best-fit mapping: a character
// without a form of its own makes WideCharToMultiByte use the default
// character, which it reports.
std::optional<std::string> SjisOfUtf8(std::string_view utf8) {
  if (utf8.empty()) return std::string();
  if (!IsUtf8(utf8)) return std::nullopt;
  const std::wstring wide = windows::Wide(utf8);
  if (wide.empty() || wide.size() > windows::kMostAtOnce) return std::nullopt;
  const int in = static_cast<int>(wide.size());
  BOOL usedDefault = FALSE;
  const int need = WideCharToMultiByte(windows::kShiftJis, WC_NO_BEST_FIT_CHARS, wide.data(), in, nullptr, 0,
                                       nullptr, &usedDefault);
  if (need <= 0 || usedDefault) return std::nullopt;
  std::string sjis(static_cast<size_t>(need), '\0');
  if (WideCharToMultiByte(windows::kShiftJis, WC_NO_BEST_FIT_CHARS, wide.data(), in, sjis.data(), need,
                          nullptr, &usedDefault) != need ||
      usedDefault) {
    return std::nullopt;
  }
  return sjis;
}

// The program holds every name in UTF-8 (Windows in UTF-16).
bool FileNamesAreUtf8() { return true; }

std::optional<std::string> Utf8OfSjis(std::string_view sjis) {
  if (sjis.empty()) return std::string();
  if (sjis.size() > windows::kMostAtOnce) return std::nullopt;
  const int in = static_cast<int>(sjis.size());
  const int need = MultiByteToWideChar(windows::kShiftJis, MB_ERR_INVALID_CHARS, sjis.data(), in, nullptr, 0);
  if (need <= 0) return std::nullopt;
  std::wstring wide(static_cast<size_t>(need), L'\0');
  if (MultiByteToWideChar(windows::kShiftJis, MB_ERR_INVALID_CHARS, sjis.data(), in, wide.data(), need) !=
      need)
    return std::nullopt;
  return windows::Utf8(wide);
}

}  // namespace platform
