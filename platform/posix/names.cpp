// Shift-JIS and UTF-8 through iconv.
#include "platform/names.h"

#include <iconv.h>

namespace platform {
namespace {

// `text` converted by iconv from `from` to `to`; nothing when a character
// has no form in `to` or `text` is not well-formed `from`.
std::optional<std::string> Convert(const char* to, const char* from, std::string_view text) {
  const iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string in(text);
  // Either way a character takes at most twice its bytes, plus room for
  // iconv's own reset sequence.
  std::string out(in.size() * 2 + 8, '\0');
  char* inPtr = in.data();
  size_t inLeft = in.size();
  char* outPtr = out.data();
  size_t outLeft = out.size();
  const size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  const bool flushed = r != static_cast<size_t>(-1) && iconv(cd, nullptr, nullptr, &outPtr, &outLeft) == 0;
  iconv_close(cd);
  // r counts irreversible conversions: a substitute is no form.
  if (!flushed || r != 0 || inLeft != 0) return std::nullopt;
  out.resize(out.size() - outLeft);
  return out;
}

}  // namespace

// glibc maps some characters to Shift-JIS one way only (U+00A5 to 0x5C,
// U+301C to 0x8160, ...): the form must convert back to the same text.
std::optional<std::string> SjisOfUtf8(std::string_view utf8) {
  std::optional<std::string> sjis = Convert("CP932", "UTF-8", utf8);
  if (!sjis) return std::nullopt;
  const std::optional<std::string> back = Convert("UTF-8", "CP932", *sjis);
  if (!back || *back != utf8) return std::nullopt;
  return sjis;
}

std::optional<std::string> Utf8OfSjis(std::string_view sjis) { return Convert("UTF-8", "CP932", sjis); }

}  // namespace platform
