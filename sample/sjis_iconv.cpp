// UTF-8 to Shift-JIS for the tools, through iconv.
#include <iconv.h>

#include <stdexcept>

#include "sample/sio_writer.h"

namespace tools {

std::string Sjis(std::string_view utf8) {
  iconv_t cd = iconv_open("CP932", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("no UTF-8 to CP932 conversion");
  std::string in(utf8);
  std::string out(in.size() * 2 + 4, '\0');
  char* inPtr = in.data();
  size_t inLeft = in.size();
  char* outPtr = out.data();
  size_t outLeft = out.size();
  size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (r == static_cast<size_t>(-1) || inLeft != 0) {
    throw std::runtime_error("no Shift-JIS form for: " + std::string(utf8));
  }
  out.resize(out.size() - outLeft);
  return out;
}

}  // namespace tools
