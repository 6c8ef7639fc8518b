#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

// Walks a ".SIO" scenario by the game's opcode table, independently of
// SioWriter, and collects what the sample tests check: the opcodes used,
// where instructions start, every jump label and the operands that name
// other files.
namespace reference {

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
      case 0x01:
        label();
        break;
      case 0x04:
        w.scenarios.push_back(str());
        break;
      case 0x07:
      case 0x11:
      case 0x14:
      case 0x1C:
        u16();
        break;
      case 0x09:
      case 0x0A:
      case 0x0B:
        u16();
        u24();
        break;
      case 0x0D:
        for (uint32_t n = u8(); n > 0; --n) w.sprites.push_back(static_cast<uint16_t>(u16()));
        break;
      case 0x0E:
      case 0x10:
      case 0x12:
      case 0x22:
      case 0x29:
        break;
      case 0x0F:
      case 0x1B:
        w.backgrounds.push_back(str());
        break;
      case 0x13:
      case 0x1A:
      case 0x28:
        str();
        break;
      case 0x1D:
        u8();
        u16();
        break;
      case 0x20:
      case 0x23:
        u16();
        u16();
        break;
      case 0x27:
        for (int i = 0; i < 7; ++i) u16();
        break;
      case 0xC0:
      case 0xC1:
      case 0xC2:
      case 0xC3:
      case 0xC4:
      case 0xC5:
        u16();
        u24();
        label();
        if (pos < s.size() && s[pos] == 0xFF) {
          u8();
          w.labels.push_back(pos);
          ++w.jumpSlots;
        } else {
          label();
          u8();
        }
        break;
      case 0xD0:
        u16();
        while (pos < s.size() && s[pos] != 0xFF) {
          label();
          u24();
        }
        u8();
        break;
      case 0xE0: {
        size_t options = 0;
        while (pos < s.size() && s[pos] != 0xFF) {
          label();
          str();
          ++options;
        }
        u8();
        w.maxOptions = std::max(w.maxOptions, options);
        break;
      }
      case 0xF0:
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
