#include "scene_test.h"

namespace {

// Source characters (Shift-JIS) and what the target text holds for them.
const std::string A = " 82A0 ";                   // あ
const std::string I = " 82A2 ";                   // い
const std::string SP = " 8140 ";                  // ideographic space
const std::string CIRCLE = " 819C ";              // ●
const std::string TRI = " 81A5 ";                 // ▼
const std::string ARROW = " 81A8 ";               // →
const std::string OPEN = " 8175 ";                // 「
const std::string CLOSE = " 8176 ";               // 」
const std::string NAME = " 8179 82A0 817A ";      // 【あ】
const std::string NAME_OUT = " 816B 82A0 816C ";  // 〔あ〕
const std::string MSG = " F0 ";
const std::string END = " 00 ";
const std::string MUSIC_STOP = " 12 ";
const std::string MUSIC_STOP_OUT = " 0E 10 24 06 ";

std::string Quote(const std::string& c) { return OPEN + c + CLOSE; }

}  // namespace

TEST_F(SceneTest, NarrationGetsThePlainEnding) {
  EXPECT_EQ(Run(MSG + A + I + END), Hex("FF" + A + I + "00 01"));
  EXPECT_EQ(t_->src.Pos(), t_->src.Len());
}

TEST_F(SceneTest, NameDirectlyFollowedByQuoteGetsTheContinuedEnding) {
  EXPECT_EQ(Run(MSG + NAME + END + MSG + Quote(I) + END),
            Hex("FF" + NAME_OUT + "00 02 01 FF" + Quote(I) + "00 01"));
}

TEST_F(SceneTest, NameIsHeldBackAcrossOtherOpcodesUntilTheQuote) {
  EXPECT_EQ(Run(MSG + NAME + END + MUSIC_STOP + MSG + Quote(I) + END),
            Hex(MUSIC_STOP_OUT + "FF" + NAME_OUT + "00 02 01 FF" + Quote(I) + "00 01"));
}

TEST_F(SceneTest, NameAtTheEndOfTheSourceIsHeldBack) {
  EXPECT_TRUE(Run(MSG + NAME + END).empty());
  EXPECT_TRUE(message_.nameHeldBack);
  EXPECT_EQ(message_.pendingEnd, scene::MessageState::kNoPendingEnd);
  EXPECT_TRUE(message_.mayResume);
  EXPECT_EQ(message_.speakerName, std::string("\x81\x6B\x82\xA0\x81\x6C"));
}

TEST_F(SceneTest, HeldBackNameIsLostWhenTheNextMessageIsNoQuote) {
  EXPECT_EQ(Run(MSG + NAME + END + MUSIC_STOP + MSG + I + END), Hex(MUSIC_STOP_OUT + "FF" + I + "00 01"));
}

TEST_F(SceneTest, TwoQuotesInARowTurnTheFirstEndingInto321) {
  EXPECT_EQ(Run(MSG + Quote(A) + END + MSG + Quote(I) + END),
            Hex("FF" + Quote(A) + "00 03 02 01 FF" + Quote(I) + "00 01"));
}

TEST_F(SceneTest, QuoteAfterOtherOutputRepeatsTheSpeakerName) {
  EXPECT_EQ(Run(MSG + NAME + END + MSG + Quote(A) + END + MUSIC_STOP + MSG + Quote(I) + END),
            Hex("FF" + NAME_OUT + "00 02 01 FF" + Quote(A) + "00 01" + MUSIC_STOP_OUT + "FF" + NAME_OUT +
                "00 02 01 FF" + Quote(I) + "00 01"));
  // Without any name seen the repeated name is empty.
  EXPECT_EQ(Run(MSG + Quote(A) + END + MUSIC_STOP + MSG + Quote(I) + END),
            Hex("FF" + Quote(A) + "00 01" + MUSIC_STOP_OUT + "FF 00 02 01 FF" + Quote(I) + "00 01"));
}

TEST_F(SceneTest, OpenQuoteContinuesUntilItIsClosed) {
  EXPECT_EQ(Run(MSG + OPEN + A + END + MSG + I + END + MSG + I + CLOSE + END + MSG + A + END),
            Hex("FF" + OPEN + A + "00 02 01 FF" + I + "00 02 01 FF" + I + CLOSE + "00 01 FF" + A + "00 01"));
}

TEST_F(SceneTest, LeadingCircleClearsTheResumeFlag) {
  EXPECT_EQ(Run(MSG + Quote(A) + END + MSG + CIRCLE + Quote(I) + END),
            Hex("FF" + Quote(A) + "00 01 FF" + Quote(I) + "00 01"));
  // ... but the quote's second opening bracket resumes on the stale ending.
  EXPECT_EQ(Run(MSG + Quote(A) + END + MSG + CIRCLE + Quote(I) + Quote(A) + END),
            Hex("FF" + Quote(A) + "00 03 02 01 FF" + Quote(I) + Quote(A) + "00 01"));
}

TEST_F(SceneTest, PrefixOnlyTextsEmitNothing) {
  for (const std::string& text : {std::string(), CIRCLE, CIRCLE + TRI, TRI}) {
    SCOPED_TRACE(text);
    Load(MSG + text + END + MSG);
    t_->src.ReadU8();
    message_.mayResume = true;
    scene::TranslateTextMessage(*t_);
    EXPECT_TRUE(Code().empty());
    EXPECT_EQ(t_->src.Pos(), t_->src.Len() - 1);
    EXPECT_EQ(message_.mayResume, text.find("819C") == std::string::npos);
  }
}

TEST_F(SceneTest, TriangleIsDroppedAndCircleIsOnlyAPrefix) {
  EXPECT_EQ(Run(MSG + A + TRI + CIRCLE + I + TRI + END), Hex("FF" + A + CIRCLE + I + "00 01"));
  EXPECT_EQ(Run(MSG + TRI + CIRCLE + A + END), Hex("FF" + CIRCLE + A + "00 01"));
}

TEST_F(SceneTest, ArrowBecomesAsteriskZeroOne) {
  EXPECT_EQ(Run(MSG + A + ARROW + END), Hex("FF" + A + "8196 824F 8250 00 01"));
}

TEST_F(SceneTest, NameFollowedByTriangleIsEmittedAtOnce) {
  EXPECT_EQ(Run(MSG + NAME + TRI + END + MUSIC_STOP), Hex("FF" + NAME_OUT + "00 01" + MUSIC_STOP_OUT));
}

TEST_F(SceneTest, BlankTextsAndTextsEndingInTwoSpacesEmitNothing) {
  for (const std::string& text : {SP, SP + SP, A + SP + SP, A + SP + TRI + SP, SP + TRI}) {
    SCOPED_TRACE(text);
    EXPECT_TRUE(Run(MSG + text + END).empty());
  }
  EXPECT_EQ(Run(MSG + A + SP + END), Hex("FF" + A + SP + "00 01"));
  EXPECT_EQ(Run(MSG + SP + SP + A + END), Hex("FF" + SP + SP + A + "00 01"));
  // 88 81 is one character, 40 another: only one space at the end.
  EXPECT_EQ(Run(MSG + "8881 40" + SP + END), Hex("FF 8881 40" + SP + "00 01"));
}

TEST_F(SceneTest, SingleByteCharactersAreCopiedOneByOne) {
  EXPECT_EQ(Run(MSG + "41" + A + "42 43" + END), Hex("FF 41" + A + "42 43 00 01"));
  // A single-byte character ends the quote's resume like any character.
  EXPECT_EQ(Run(MSG + Quote(A) + END + MSG + "41" + END + MSG + Quote(I) + END),
            Hex("FF" + Quote(A) + "00 01 FF 41 00 01 FF" + Quote(I) + "00 01"));
}

TEST_F(SceneTest, FirstByteBeforeTheZeroIsDropped) {
  EXPECT_EQ(Run(MSG + A + "82" + END + MSG + I + END), Hex("FF" + A + "00 01 FF" + I + "00 01"));
  EXPECT_TRUE(Run(MSG + "E0" + END).empty());
  // It counts as the last character: the text is no name.
  EXPECT_EQ(Run(MSG + NAME + "82" + END + MUSIC_STOP), Hex("FF" + NAME_OUT + "00 01" + MUSIC_STOP_OUT));
}

TEST_F(SceneTest, TextCutByTheEndOfTheSourceStopsThere) {
  EXPECT_EQ(Run(MSG + A + "41"), Hex("FF" + A + "41 00 01"));
  EXPECT_EQ(t_->src.Pos(), t_->src.Len());
}
