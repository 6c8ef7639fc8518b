# Writes the bytes of file IN as the body of function NAME, in namespace
# base, returning them as a span, into the C++ source OUT:
#   cmake -DIN=<file> -DOUT=<source> -DNAME=<function> -P embed.cmake
file(READ "${IN}" hex HEX)
string(LENGTH "${hex}" length)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n    " bytes "${bytes}")
math(EXPR size "${length} / 2")
file(WRITE "${OUT}.tmp" "// Made by the build from ${IN}; not to be edited.
#include <cstdint>
#include <span>

namespace base {

std::span<const uint8_t> ${NAME}() {
  static constexpr uint8_t kBytes[${size} + 1] = {
    ${bytes}};
  return {kBytes, ${size}};
}

}  // namespace base
")
file(RENAME "${OUT}.tmp" "${OUT}")
