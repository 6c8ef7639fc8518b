#include "scene_test.h"

namespace {

// The background sequence around a name given in hex.
std::string Background(const std::string& name) { return "0B 30 59 01 11 " + name + " 00 0B 05 40 11 10"; }

const std::string BLACK = "42 4C 41 43 4B";

}  // namespace

TEST_F(SceneTest, BackgroundIsUpperCasedAndLosesItsExtension) {
  // cg01.moe
  EXPECT_EQ(Run("0F 63 67 30 31 2E 6D 6F 65 00"), Hex("0B 30 59 01 11 43 47 30 31 00 0B 05 40 11 10"));
  EXPECT_EQ(Run("1B 63 67 30 31 2E 6D 6F 65 00"), Hex(Background("43 47 30 31")));
  // a.b.c ends at its first dot; a name without a dot is kept whole.
  EXPECT_EQ(Run("0F 61 2E 62 2E 63 00"), Hex(Background("41")));
  EXPECT_EQ(Run("0F 62 67 31 00"), Hex(Background("42 47 31")));
  // The second byte of a Shift-JIS character (83 61) is no letter.
  EXPECT_EQ(Run("0F 83 61 61 00"), Hex(Background("83 61 41")));
  EXPECT_EQ(Run("0F 00"), Hex(Background("")));
}

TEST_F(SceneTest, BlackListIsMatchedAfterUpperCasingAndBeforeTheCut) {
  for (std::string_view black : scene::kBlackBackgroundNames) {
    std::string lower;
    for (char c : black) lower += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 0x20) : c;
    const std::vector<uint8_t> source = [&] {
      std::vector<uint8_t> s{0x0F};
      s.insert(s.end(), lower.begin(), lower.end());
      s.push_back(0);
      return s;
    }();
    t_->src.Load(source.data(), source.size());
    t_->out.Reset();
    t_->src.ReadU8();
    scene::TranslateBackground(*t_);
    EXPECT_EQ(Code(), Hex(Background(BLACK))) << lower;
    EXPECT_EQ(t_->src.Pos(), source.size());
  }
  // yami.moe keeps its name: the extension prevents the match.
  EXPECT_EQ(Run("0F 79 61 6D 69 2E 6D 6F 65 00"), Hex(Background("59 41 4D 49")));
  EXPECT_EQ(Run("0F 88 C3 93 5D 00"), Hex(Background(BLACK)));  // 暗転
}

TEST_F(SceneTest, LongNamesAreHandledWhole) {
  std::string name;
  for (int i = 0; i < 40; ++i) name += "41 ";
  EXPECT_EQ(Run("0F " + name + "00"), Hex(Background(name)));
  EXPECT_EQ(Run("13 " + name + "2E 77 00"), Hex("0E 30 " + name + "00"));
}

TEST_F(SceneTest, BlackScreenMusicAndStop) {
  EXPECT_EQ(Run("10"), Hex("0B 30 59 01 11 42 4C 41 43 4B 00 68 01 11 10 10 10 0B 05 2A 00 10"));
  EXPECT_EQ(Run("11 0007"), Hex("0E 01 42 47 4D 5F 30 37 00"));
  EXPECT_EQ(Run("11 0000"), Hex("0E 01 42 47 4D 5F 30 30 00"));
  EXPECT_EQ(Run("11 007B"), Hex("0E 01 42 47 4D 5F 31 32 33 00"));
  EXPECT_EQ(Run("11 FFFF"), Hex("0E 01 42 47 4D 5F 36 35 35 33 35 00"));
  EXPECT_EQ(Run("12"), Hex("0E 10 24 06"));
}

TEST_F(SceneTest, SoundEffectKeepsItsCaseAndLosesItsExtension) {
  // se01.a.wav
  EXPECT_EQ(Run("13 73 65 30 31 2E 61 2E 77 61 76 00"), Hex("0E 30 73 65 30 31 00"));
  // bgbk is a black background name, but sound effects are not compared.
  EXPECT_EQ(Run("13 62 67 62 6B 00"), Hex("0E 30 62 67 62 6B 00"));
}

TEST_F(SceneTest, EveryPictureNameWrittenIsRecordedWhereItsBytesStand) {
  t_->pictures.clear();
  // Background bg1, the black screen, sprites 0 and 1.
  const std::vector<uint8_t> code = Run("0F 62 67 31 00 10 0D 02 0000 0001");
  ASSERT_EQ(t_->pictures.size(), 3u);
  const std::string sprite(scene::SpriteName(1));
  const std::pair<std::string, scenario::PictureUse> expected[] = {
      {"BG1", scenario::PictureUse::kBackground},
      {"BLACK", scenario::PictureUse::kBackground},
      {sprite, scenario::PictureUse::kSprite}};
  for (size_t i = 0; i < 3; ++i) {
    const scenario::PictureReference& p = t_->pictures[i];
    EXPECT_EQ(p.name, expected[i].first);
    EXPECT_EQ(p.use, expected[i].second);
    ASSERT_LE(p.offset + p.name.size() + 1, code.size());
    EXPECT_EQ(std::string(code.begin() + p.offset, code.begin() + p.offset + p.name.size() + 1),
              p.name + std::string(1, '\0'));
  }
}

TEST_F(SceneTest, APictureNameTheFullOutputLostIsNotRecorded) {
  // The five bytes before the name fit, and `room` bytes behind them.
  for (size_t room : {3u, 4u}) {
    Load("0F 62 67 31 00");
    t_->pictures.clear();
    while (static_cast<size_t>(t_->out.Len()) < scenario::Output::kCapacity - 5 - room) t_->out.OutByte(0);
    t_->src.ReadU8();
    scene::TranslateBackground(*t_);
    // "BG1" and its zero need 4 bytes.
    EXPECT_EQ(t_->pictures.size(), room == 4 ? 1u : 0u) << room;
  }
}
