#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The pictures a scenario shows. The interpreter finds each by its name as
// the archive member "NAME.PDT", without regard to the letter case of
// ASCII letters.
namespace scenario {

// How a scenario shows a picture.
enum class PictureUse : uint8_t {
  kBackground,  // a background or the black screen
  kSprite,      // a character sprite
};

// One picture name the translator wrote into a scenario's code.
struct PictureReference {
  std::string name;     // as written, without ".PDT"
  uint32_t offset = 0;  // code offset of the name's first byte
  PictureUse use = PictureUse::kBackground;
};

// The member that holds the picture `name` as the archive stores it: the
// name upper-cased with ".PDT" behind it.
std::string PictureMemberName(std::string_view name);

}  // namespace scenario
