#include "platform/windows/wide.h"

#include <climits>

#include "platform/names.h"
#include "platform/path_forms.h"
#include "platform/windows/win32.h"

namespace platform {
namespace windows {
namespace {

// The conversions count in ints: longer text goes in pieces cut between
// characters by the callers' own rules; no path comes near this.
constexpr size_t kMostAtOnce = INT_MAX / 4;

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

std::wstring SystemPath(std::string_view utf8) { return Wide(ExtendedLengthPath(utf8)); }

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
  const int need =
      WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide.data(), in, nullptr, 0, nullptr, &usedDefault);
  if (need <= 0 || usedDefault) return std::nullopt;
  std::string sjis(static_cast<size_t>(need), '\0');
  if (WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide.data(), in, sjis.data(), need, nullptr,
                          &usedDefault) != need ||
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
  const int need = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, sjis.data(), in, nullptr, 0);
  if (need <= 0) return std::nullopt;
  std::wstring wide(static_cast<size_t>(need), L'\0');
  if (MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, sjis.data(), in, wide.data(), need) != need)
    return std::nullopt;
  return windows::Utf8(wide);
}

}  // namespace platform
