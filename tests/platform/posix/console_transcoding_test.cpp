#include "platform/posix/console_transcoding.h"

#include <gtest/gtest.h>

namespace {

TEST(ConsoleTranscoding, ACodeThatDoesNotConvertIsShownAsItsBytesTrailByteIncluded) {
  const iconv_t toUtf8 = iconv_open("UTF-8", "CP932");
  ASSERT_NE(toUtf8, reinterpret_cast<iconv_t>(-1));
  // "あ", then 0x85 0x40, a pair no character has: shown as its two bytes,
  // the trail byte '@' among them, never as an '@' of its own.
  EXPECT_EQ(platform::posix::Transcode(toUtf8,
                                       "\x82\xA0\x85\x40"
                                       "A"),
            "\xE3\x81\x82\\x85\\x40A");
  EXPECT_EQ(platform::posix::Transcode(toUtf8, "A\x81"), "A\\x81");  // a lead byte at the end
  iconv_close(toUtf8);
}

}  // namespace
