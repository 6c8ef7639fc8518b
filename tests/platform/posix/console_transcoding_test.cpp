#include "platform/posix/console_transcoding.h"

#include <gtest/gtest.h>

namespace {

TEST(ConsoleTranscoding, ACharacterThatDoesNotConvertIsOneQuestionMarkTrailByteIncluded) {
  const iconv_t toUtf8 = iconv_open("UTF-8", "CP932");
  ASSERT_NE(toUtf8, reinterpret_cast<iconv_t>(-1));
  // "あ", then 0x85 0x40, a pair no character has: its trail byte '@' is not
  // shown on its own.
  EXPECT_EQ(platform::posix::Transcode(toUtf8,
                                       "\x82\xA0\x85\x40"
                                       "A"),
            "\xE3\x81\x82?A");
  EXPECT_EQ(platform::posix::Transcode(toUtf8, "A\x81"), "A?");  // a lead byte at the end
  iconv_close(toUtf8);
}

}  // namespace
