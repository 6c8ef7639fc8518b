/* Writes the code page 932 table of the page's name rule as a C++ header:
 * run on the build machine, where the C library's iconv defines the rule the
 * Linux build follows, so that the page names members exactly as it does.
 *   kSjisToUnicode: every one- or two-byte code that converts to one
 *                   character, sorted by code;
 *   kUnicodeToSjis: every character whose code converts back to itself,
 *                   sorted by character.
 * Two-byte codes are lead * 256 + trail. */
#include <iconv.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

/* The code point of `in` converted from `from` to UTF-32LE, or -1 when it
 * is not exactly one character. */
static long Convert(const char* from, const char* in, size_t inLength) {
  iconv_t cd = iconv_open("UTF-32LE", from);
  if (cd == (iconv_t)-1) exit(1);
  char* inPtr = (char*)in;
  unsigned char out[16];
  char* outPtr = (char*)out;
  size_t inLeft = inLength, outLeft = sizeof out;
  size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (r != 0 || inLeft != 0 || sizeof out - outLeft != 4) return -1;
  return (long)out[0] | (long)out[1] << 8 | (long)out[2] << 16 | (long)out[3] << 24;
}

/* The code page 932 code of one character, or -1. */
static long Encode(uint32_t c) {
  iconv_t cd = iconv_open("CP932", "UTF-32LE");
  if (cd == (iconv_t)-1) exit(1);
  unsigned char in[4] = {c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF, c >> 24};
  unsigned char out[8];
  char* inPtr = (char*)in;
  char* outPtr = (char*)out;
  size_t inLeft = 4, outLeft = sizeof out;
  size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  size_t n = sizeof out - outLeft;
  if (r != 0 || inLeft != 0 || n < 1 || n > 2) return -1;
  return n == 1 ? out[0] : out[0] << 8 | out[1];
}

static long Decode(long code) {
  char bytes[2] = {(char)(code >> 8), (char)code};
  return code < 0x100 ? Convert("CP932", bytes + 1, 1) : Convert("CP932", bytes, 2);
}

int main(void) {
  printf("// Made by platform/web/make_sjis_table.c from the C library's code page 932.\n");
  printf("#include <cstdint>\n\nnamespace platform {\n\n");
  printf("inline constexpr uint32_t kSjisToUnicode[][2] = {\n");
  for (long code = 0; code < 0x10000; ++code) {
    if (code >= 0x100 && (code >> 8) < 0x81) continue;
    long c = Decode(code);
    if (c >= 0) printf("{0x%lX,0x%lX},\n", code, c);
  }
  printf("};\n\ninline constexpr uint32_t kUnicodeToSjis[][2] = {\n");
  for (uint32_t c = 0; c < 0x10000; ++c) {
    if (c >= 0xD800 && c < 0xE000) continue;
    long code = Encode(c);
    if (code >= 0 && Decode(code) == (long)c) printf("{0x%X,0x%lX},\n", c, code);
  }
  printf("};\n\n}  // namespace platform\n");
  return 0;
}
