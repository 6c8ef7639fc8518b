// Background names of the game that are shown as the black screen, in list
// order: upper-case image codes and Shift-JIS names, without extension.
#include "scene/background_sound.h"

namespace scene {

const std::array<std::string_view, 15> kBlackBackgroundNames = {
    "\x42\x47\x30\x30\x30",          // BG000
    "\x42\x47\x30\x30\x31\x4E",      // BG001N
    "\x42\x47\x42\x4B",              // BGBK
    "\x42\x4C\x4B\x30\x31",          // BLK01
    "\x42\x4C\x4B\x30\x32",          // BLK02
    "\x45\x56\x30\x30",              // EV00
    "\x45\x56\x42\x4C\x41\x43\x4B",  // EVBLACK
    "\x4E\x49\x47\x48\x54\x30\x30",  // NIGHT00
    "\x59\x41\x4D\x49",              // YAMI
    "\x4B\x55\x52\x4F\x5F\x30\x31",  // KURO_01
    "\x88\xC3\x93\x5D",              // 暗転
    "\x88\xC3\x88\xC5",              // 暗闇
    "\x90\x5E\x82\xC1\x88\xC3",      // 真っ暗
    "\x8D\x95\x94\x77\x8C\x69",      // 黒背景
    "\x96\xE9\x82\xCC\x88\xC5",      // 夜の闇
};

}  // namespace scene
