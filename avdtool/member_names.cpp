#include "avdtool/member_names.h"

#include <algorithm>

#include "base/sjis.h"
#include "platform/names.h"

namespace avdtool {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string Capitals(std::string name) {
  base::UpperCaseName(name);
  return name;
}

}  // namespace

std::string UnescapedName(std::string_view argument) {
  std::string bytes;
  for (size_t i = 0; i < argument.size(); ++i) {
    if (argument[i] == '\\' && i + 3 < argument.size() && argument[i + 1] == 'x') {
      const int high = HexDigit(argument[i + 2]), low = HexDigit(argument[i + 3]);
      if (high >= 0 && low >= 0) {
        bytes += static_cast<char>(high << 4 | low);
        i += 3;
        continue;
      }
    }
    bytes += argument[i];
  }
  return bytes;
}

MemberQuery::MemberQuery(std::string argument) : argument_(std::move(argument)) {
  const std::string bytes = UnescapedName(argument_);
  platform::NameReadings readings = platform::ReadingsOf(bytes);
  if (!readings.utf8 && !readings.raw) readings.raw = bytes;  // ASCII
  for (const std::optional<std::string>& form : {readings.text, readings.raw}) {
    if (form) forms_.push_back(Capitals(*form));
  }
}

bool MemberQuery::Matches(std::string_view member) const {
  const std::string capitals = Capitals(std::string(member));
  return std::find(forms_.begin(), forms_.end(), capitals) != forms_.end();
}

std::string MemberQuery::Shown() const { return platform::PathForMessage(argument_); }

std::vector<MemberQuery> MemberQueries(const std::vector<std::string>& arguments) {
  return {arguments.begin(), arguments.end()};
}

}  // namespace avdtool
