#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "scenario/source_opcodes.h"

// Walks a ".SIO" scenario by the game's opcode table (operand layouts
// written out here, independently of SioWriter and of the translator's
// handlers; only the numbers are shared), and collects what the sample tests check: the opcodes used,
// where instructions start, every jump label and the operands that name
// other files.
namespace reference {

namespace op = scenario::op;

struct SioWalk {
  bool clean = true;  // only known opcodes, and the last operand ends at the file's end
  std::set<uint8_t> opcodes;
  std::set<size_t> starts;
  std::vector<size_t> labels;  // every jump destination, implicit ones included
  int jumpSlots = 0;           // jumps that the converter resolves through its fixup list
  size_t maxOptions = 0;
  std::vector<std::string> messages;
  std::vector<std::string> scenarios;  // names given to opcode 4
  std::vector<std::string> backgrounds;
  std::vector<uint16_t> sprites;
};

inline SioWalk WalkSio(const std::vector<uint8_t>& s) {
  SioWalk w;
  size_t pos = 0;
  bool over = false;
  auto u8 = [&]() -> uint32_t {
    if (pos >= s.size()) {
      over = true;
      return 0;
    }
    return s[pos++];
  };
  auto u16 = [&]() {
    uint32_t high = u8();
    return (high << 8) | u8();
  };
  auto u24 = [&]() {
    uint32_t high = u16();
    return (high << 8) | u8();
  };
  auto str = [&]() {
    std::string out;
    while (uint32_t c = u8()) out.push_back(static_cast<char>(c));
    return out;
  };
  auto label = [&]() {
    w.labels.push_back(u16());
    ++w.jumpSlots;
  };

  while (pos < s.size() && !over) {
    w.starts.insert(pos);
    uint8_t op = static_cast<uint8_t>(u8());
    w.opcodes.insert(op);
    switch (op) {
      case op::kJump:
        label();
        break;
      case op::kScenarioByName:
        w.scenarios.push_back(str());
        break;
      case op::kFixedScenario994:
      case op::kMusic:
      case op::kFixedScenario995:
      case op::kIgnoredWord:
        u16();
        break;
      case op::kAddToVariable:
      case op::kSubtractFromVariable:
      case op::kSetVariable:
        u16();
        u24();
        break;
      case op::kShowCharacters:
        for (uint32_t n = u8(); n > 0; --n) w.sprites.push_back(static_cast<uint16_t>(u16()));
        break;
      case op::kClearCharacters:
      case op::kBlackScreen:
      case op::kMusicStop:
      case op::kCalendarUpdate:
      case op::kDateNoText:
        break;
      case op::kBackground:
      case op::kBackgroundAlt:
        w.backgrounds.push_back(str());
        break;
      case op::kSoundEffect:
      case op::kIgnoredString:
      case op::kDateWithText:
        str();
        break;
      case op::kIgnoredByteAndWord:
        u8();
        u16();
        break;
      case op::kIgnoredTwoWords:
      case op::kSetDate:
        u16();
        u16();
        break;
      case op::kFixedScenario996:
        for (int i = 0; i < 7; ++i) u16();
        break;
      case op::kJumpIfEqual:
      case op::kJumpIfNotEqual:
      case op::kJumpUnlessRelation70:
      case op::kJumpUnlessRelation71:
      case op::kJumpUnlessRelation68:
      case op::kJumpUnlessRelation69:
        u16();
        u24();
        label();
        if (pos < s.size() && s[pos] == op::kListEnd) {
          u8();
          w.labels.push_back(pos);
          ++w.jumpSlots;
        } else {
          label();
          u8();
        }
        break;
      case op::kMultiWayJump:
        u16();
        while (pos < s.size() && s[pos] != op::kListEnd) {
          label();
          u24();
        }
        u8();
        break;
      case op::kChoiceMenu: {
        size_t options = 0;
        while (pos < s.size() && s[pos] != op::kListEnd) {
          label();
          str();
          ++options;
        }
        u8();
        w.maxOptions = std::max(w.maxOptions, options);
        break;
      }
      case op::kMessage:
        w.messages.push_back(str());
        break;
      default:
        w.clean = false;
        break;
    }
  }
  if (over) w.clean = false;
  return w;
}

}  // namespace reference
