#pragma once

#include <string>
#include <string_view>
#include <vector>

// Member names as users give them on the command line (extract NAME...,
// disasm NAME...).
namespace avdtool {

// `argument` with each \xNN (two hex digits, either case) made the byte it
// stands for, as `list` escapes a name's bytes (base::Printable); every other
// byte, a backslash included, as it is.
std::string UnescapedName(std::string_view argument);

// One member name from the command line: typed in the system's characters
// (UTF-8 text is read by the converter's name rule, platform::ReadingsOf),
// copied from `list` with its \xNN escapes, or given as raw bytes.
class MemberQuery {
 public:
  explicit MemberQuery(std::string argument);

  // True when `member` (the Shift-JIS name in the archive) is the one asked
  // for: byte for byte, but that ASCII letters standing as characters of
  // their own match in either case (the second byte of a double-byte
  // character is no letter: "ア" 83 41 is not "ヂ" 83 61).
  bool Matches(std::string_view member) const;

  // The argument as a Shift-JIS message shows it, as the user typed it.
  std::string Shown() const;

 private:
  std::string argument_;
  std::vector<std::string> forms_;  // the Shift-JIS names it may stand for, letters in capitals
};

// The queries of a command's name arguments, in their order.
std::vector<MemberQuery> MemberQueries(const std::vector<std::string>& arguments);

}  // namespace avdtool
