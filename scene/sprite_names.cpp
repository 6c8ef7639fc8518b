#include "scene/sprite_names.h"

namespace scene {
namespace {

namespace target = scenario::target;

// Substitute for every unnamed sprite number.
constexpr uint32_t kFallbackSprite = 1;

struct Layout {
  int32_t firstX;
  int32_t step;
};

// Horizontal positions for one, two and three positions on screen.
constexpr std::array<Layout, 3> kLayouts = {{{120, 0}, {-20, 280}, {-50, 170}}};

// A sprite's rectangle and vertical position in the target.
constexpr int32_t kSpriteRight = 399;
constexpr int32_t kSpriteBottom = 479;

}  // namespace

void TranslateClearCharacters(scenario::Translator& t) {
  t.out.OutOp(target::kOp11Sub48);
  t.out.OutOp(target::kOp11Sub5);
  t.out.OutByte(target::kOp11Byte);
  t.out.OutNum(1);
  t.out.OutNum(0);
}

void TranslateShowCharacters(scenario::Translator& t) {
  const uint32_t count = t.src.ReadU8();
  if (count == 0) {
    TranslateClearCharacters(t);
    return;
  }
  // One entry per position, empty ones (0) included; the count is a byte.
  std::array<uint32_t, 255> sprites{};
  int shown = 0;
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t number = t.src.ReadU16();
    if (number != 0 && SpriteName(number).empty()) number = kFallbackSprite;
    if (number != 0) ++shown;
    sprites[i] = number;
  }
  if (shown == 0) {
    TranslateClearCharacters(t);
    return;
  }
  if (count > kLayouts.size()) {
    t.diag.Line(base::Format("***** Too Many Chars (%d)\n", shown));
    return;
  }
  const Layout layout = kLayouts[count - 1];

  t.out.OutOp(target::kOp11Sub48);
  t.out.OutOp(target::kCharacters);
  t.out.OutByte(shown);
  t.out.OutByte(target::kOp11Byte);
  t.out.OutNum(1);
  t.out.OutNum(0);

  int32_t x = layout.firstX;
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t number = sprites[i];
    if (number != 0) {
      t.out.OutByte(target::kCharacterEntry);
      t.OutPictureName(SpriteName(number), scenario::PictureUse::kSprite);
      for (int32_t v : {0, 0, kSpriteRight, kSpriteBottom, x, 0}) t.out.OutNum(v);
    }
    x += layout.step;
  }
}

}  // namespace scene
