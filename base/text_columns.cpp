// Column counting of terminal text, the same on every platform.
#include "base/text_columns.h"

#include <cstdint>
#include <iterator>
#include <vector>

#include "base/sjis.h"

namespace base {
namespace {

// One character of the text: where it starts, its bytes and its columns.
struct Unit {
  size_t start;
  size_t length;
  size_t columns;
  bool control;  // shown as one '?' per byte
};

struct Range {
  uint32_t first, last;
};

// Code points a terminal shows two columns wide (East Asian Wide and
// Fullwidth, with a few neighbouring narrow ones folded in, which only makes
// a cut line shorter).
constexpr Range kWide[] = {
    {0x1100, 0x115F},   {0x231A, 0x231B},   {0x2329, 0x232A},   {0x23E9, 0x23EC},   {0x23F0, 0x23F0},
    {0x23F3, 0x23F3},   {0x25FD, 0x25FE},   {0x2614, 0x2615},   {0x2648, 0x2653},   {0x267F, 0x267F},
    {0x2693, 0x2693},   {0x26A1, 0x26A1},   {0x26AA, 0x26AB},   {0x26BD, 0x26BE},   {0x26C4, 0x26C5},
    {0x26CE, 0x26CE},   {0x26D4, 0x26D4},   {0x26EA, 0x26EA},   {0x26F2, 0x26F3},   {0x26F5, 0x26F5},
    {0x26FA, 0x26FA},   {0x26FD, 0x26FD},   {0x2705, 0x2705},   {0x270A, 0x270B},   {0x2728, 0x2728},
    {0x274C, 0x274C},   {0x274E, 0x274E},   {0x2753, 0x2755},   {0x2757, 0x2757},   {0x2795, 0x2797},
    {0x27B0, 0x27B0},   {0x27BF, 0x27BF},   {0x2B1B, 0x2B1C},   {0x2B50, 0x2B50},   {0x2B55, 0x2B55},
    {0x2E80, 0x303E},   {0x3041, 0x3247},   {0x3250, 0x4DBF},   {0x4E00, 0xA4CF},   {0xA960, 0xA97F},
    {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},   {0xFE10, 0xFE19},   {0xFE30, 0xFE6F},   {0xFF01, 0xFF60},
    {0xFFE0, 0xFFE6},   {0x16FE0, 0x16FE4}, {0x17000, 0x18CFF}, {0x1B000, 0x1B2FF}, {0x1F004, 0x1F004},
    {0x1F0CF, 0x1F0CF}, {0x1F18E, 0x1F18E}, {0x1F191, 0x1F19A}, {0x1F200, 0x1F251}, {0x1F300, 0x1F64F},
    {0x1F680, 0x1F6FF}, {0x1F900, 0x1F9FF}, {0x1FA70, 0x1FAFF}, {0x20000, 0x3FFFD},
};

bool IsWide(uint32_t c) {
  for (const Range& r : kWide) {
    if (c < r.first) return false;
    if (c <= r.last) return true;
  }
  return false;
}

bool IsControlByte(uint8_t b) { return b < 0x20 || b == 0x7F; }

// A UTF-8 character at the start of `rest` (not empty).
Unit Utf8Unit(std::string_view rest, size_t start) {
  const uint8_t lead = static_cast<uint8_t>(rest[0]);
  if (lead < 0x80) return {start, 1, 1, IsControlByte(lead)};
  size_t length = 0;
  uint32_t c = 0;
  uint32_t least = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, c = lead & 0x1F, least = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, c = lead & 0x0F, least = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, c = lead & 0x07, least = 0x10000;
  } else {
    return {start, 1, 1, false};  // not a lead byte: the terminal shows a replacement
  }
  if (rest.size() < length) return {start, 1, 1, false};
  for (size_t i = 1; i < length; ++i) {
    const uint8_t b = static_cast<uint8_t>(rest[i]);
    if ((b & 0xC0) != 0x80) return {start, 1, 1, false};
    c = (c << 6) | (b & 0x3F);
  }
  if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return {start, 1, 1, false};
  // C1 controls: some terminals act on them even in UTF-8.
  if (c >= 0x80 && c <= 0x9F) return {start, length, length, true};
  return {start, length, IsWide(c) ? 2u : 1u, false};
}

Unit ShiftJisUnit(std::string_view rest, size_t start) {
  const uint8_t lead = static_cast<uint8_t>(rest[0]);
  if (IsCp932LeadByte(lead) && rest.size() >= 2 && IsCp932TrailByte(static_cast<uint8_t>(rest[1])))
    return {start, 2, 2, false};
  return {start, 1, 1, IsControlByte(lead)};  // ASCII, half-width kana, or a stray byte
}

Unit OtherUnit(std::string_view rest, size_t start) {
  const uint8_t lead = static_cast<uint8_t>(rest[0]);
  if (lead < 0x80) return {start, 1, 1, IsControlByte(lead)};
  size_t length = 1;
  const size_t want = lead == 0x8F ? 3 : 2;
  while (length < want && length < rest.size() && static_cast<uint8_t>(rest[length]) >= 0x80) ++length;
  return {start, length, length, false};
}

std::vector<Unit> Units(std::string_view text, TerminalEncoding encoding) {
  std::vector<Unit> units;
  for (size_t pos = 0; pos < text.size();) {
    const std::string_view rest = text.substr(pos);
    Unit u = encoding == TerminalEncoding::kUtf8       ? Utf8Unit(rest, pos)
             : encoding == TerminalEncoding::kShiftJis ? ShiftJisUnit(rest, pos)
                                                       : OtherUnit(rest, pos);
    units.push_back(u);
    pos += u.length;
  }
  return units;
}

template <typename It>
std::string Join(std::string_view text, It first, It last) {
  std::string out;
  for (It u = first; u != last; ++u) {
    if (u->control) {
      out.append(u->length, '?');
    } else {
      out.append(text.substr(u->start, u->length));
    }
  }
  return out;
}

}  // namespace

size_t TextColumns(std::string_view text, TerminalEncoding encoding) {
  size_t columns = 0;
  for (const Unit& u : Units(text, encoding)) columns += u.columns;
  return columns;
}

std::string FitToColumns(std::string_view text, TerminalEncoding encoding, size_t columns) {
  const std::vector<Unit> units = Units(text, encoding);
  size_t used = 0;
  auto end = units.begin();
  while (end != units.end() && used + end->columns <= columns) used += (end++)->columns;
  return Join(text, units.begin(), end);
}

std::string FitTailToColumns(std::string_view text, TerminalEncoding encoding, size_t columns) {
  constexpr std::string_view kEllipsis = "...";
  const std::vector<Unit> units = Units(text, encoding);
  size_t total = 0;
  for (const Unit& u : units) total += u.columns;
  if (total <= columns) return Join(text, units.begin(), units.end());
  if (columns <= kEllipsis.size()) return FitToColumns(text, encoding, columns);
  size_t used = kEllipsis.size();
  auto begin = units.end();
  while (begin != units.begin() && used + std::prev(begin)->columns <= columns) used += (--begin)->columns;
  return std::string(kEllipsis) + Join(text, begin, units.end());
}

}  // namespace base
