#include "scene/background_sound.h"

#include <cstdio>

#include "base/sjis.h"

namespace scene {
namespace {

namespace target = scenario::target;

constexpr std::string_view kBlackScreen = "BLACK";

// 89.1, num 1, name: hands the picture name to the target.
void EmitPictureName(scenario::Translator& t, std::string_view name) {
  t.out.OutOp(target::kOp11Sub48);
  t.out.OutOp(target::kOp89Sub1, 1);
  t.OutPictureName(name, scenario::PictureUse::kBackground);
}

}  // namespace

void CutAtDot(std::string& name) {
  const size_t dot = name.find('.');
  if (dot != std::string::npos) name.resize(dot);
}

void TranslateBackground(scenario::Translator& t) {
  std::string name(t.src.ReadString());
  base::UpperCaseName(name);
  // Compared before the extension is cut: a name with an extension never
  // matches.
  for (std::string_view black : kBlackBackgroundNames) {
    if (name == black) {
      name = kBlackScreen;
      break;
    }
  }
  CutAtDot(name);
  EmitPictureName(t, name);
  t.out.OutOp(target::kOp11Sub5);
  t.out.OutByte(target::kOp11Byte);
  t.out.OutNum(1);
  t.out.OutNum(0);
}

void TranslateBlackScreen(scenario::Translator& t) {
  EmitPictureName(t, kBlackScreen);
  t.out.OutOp(target::kOp104Sub1);
  for (int32_t v : {1, 0, 0, 0}) t.out.OutNum(v);
  t.out.OutOp(target::kOp11Sub5);
  t.out.OutStr("*");
  t.out.OutNum(0);
}

void TranslateMusic(scenario::Translator& t) {
  const uint32_t number = t.src.ReadU16();
  char name[16];
  std::snprintf(name, sizeof name, "BGM_%02u", number);
  t.out.OutOp(target::kMusic);
  t.out.OutStr(name);
}

void TranslateMusicStop(scenario::Translator& t) { t.out.OutOp(target::kMusicStop, 100); }

void TranslateSoundEffect(scenario::Translator& t) {
  std::string name(t.src.ReadString());
  CutAtDot(name);
  t.out.OutOp(target::kSoundEffect);
  t.out.OutStr(name);
}

}  // namespace scene
