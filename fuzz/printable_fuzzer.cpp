// Names nobody vouches for, shown as both programs show them
// (base::Printable). In every encoding the result holds no control byte and
// keeps every byte it may; the ASCII form reads back to the name; the
// Shift-JIS form, transcoded to UTF-8 by the converter's console itself,
// and the UTF-8 form hold no control character, C1 included.
#include <iconv.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/printable.h"
#include "platform/posix/console_transcoding.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

int HexValue(char c) { return c <= '9' ? c - '0' : c - 'A' + 10; }

// Undoes the ASCII form: every \xNN back to its byte.
std::string Unescape(std::string_view shown) {
  std::string out;
  for (size_t i = 0; i < shown.size(); ++i) {
    if (shown[i] == '\\') {
      Require(i + 3 < shown.size() && shown[i + 1] == 'x');
      out += static_cast<char>(HexValue(shown[i + 2]) << 4 | HexValue(shown[i + 3]));
      i += 3;
    } else {
      out += shown[i];
    }
  }
  return out;
}

// Checks well-formed UTF-8 without a C0, DEL or C1 control.
void RequireSafeUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    const auto b = static_cast<uint8_t>(text[i]);
    if (b < 0x80) {
      Require(b >= 0x20 && b != 0x7F);
      ++i;
      continue;
    }
    const size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
    Require(b >= 0xC2 && b <= 0xF4 && i + length <= text.size());
    uint32_t code = b & (length == 2 ? 0x1Fu : length == 3 ? 0x0Fu : 0x07u);
    for (size_t k = 1; k < length; ++k) {
      const auto c = static_cast<uint8_t>(text[i + k]);
      Require((c & 0xC0) == 0x80);
      code = code << 6 | (c & 0x3Fu);
    }
    Require(code > 0x9F);
    i += length;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const iconv_t sjisToUtf8 = iconv_open("UTF-8", "CP932");
  Require(sjisToUtf8 != reinterpret_cast<iconv_t>(-1));
  const std::string_view name(reinterpret_cast<const char*>(data), size);

  const std::string ascii = base::Printable(name, base::TextEncoding::kAscii);
  for (char c : ascii) Require(c >= 0x20 && c < 0x7F);
  Require(Unescape(ascii) == name);

  for (base::TextEncoding encoding : {base::TextEncoding::kShiftJis, base::TextEncoding::kUtf8}) {
    const std::string shown = base::Printable(name, encoding);
    for (char c : shown) Require(static_cast<uint8_t>(c) >= 0x20 && c != 0x7F);
    // Escapes are ASCII and what stays is whole characters: a second pass
    // changes nothing.
    Require(base::Printable(shown, encoding) == shown);
    // A name of printable ASCII without a backslash comes through as it is.
    bool plain = true;
    for (char c : name) plain = plain && c >= 0x20 && c < 0x7F && c != '\\';
    if (plain) Require(shown == name);
  }
  RequireSafeUtf8(
      platform::posix::Transcode(sjisToUtf8, base::Printable(name, base::TextEncoding::kShiftJis)));
  RequireSafeUtf8(base::Printable(name, base::TextEncoding::kUtf8));
  return 0;
}
