#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "base/member_sink.h"
#include "platform/console.h"
#include "platform/paths.h"

namespace test_support {

// A fresh folder under the system's temporary folder, removed afterwards.
class TempDir {
 public:
  TempDir() {
    // A random name, taken only when no folder had it (create_directory
    // says false then); tests of several processes run side by side.
    std::random_device random;
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (;;) {
      char name[32];
      std::snprintf(name, sizeof name, "avdtest-%08x%08x", random(), random());
      if (std::filesystem::create_directory(base / name)) {
        path_ = base / name;
        return;
      }
    }
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder with a trailing separator, as the converter passes folders.
  std::string Folder() const { return path_.string() + platform::kSeparator; }
  const std::filesystem::path& Path() const { return path_; }

  // Writes a file (creating its folders) and returns its full path, with
  // the system's own separators ("CG/A.MOE" is "CG\\A.MOE" on Windows).
  std::string Write(const std::string& relative, std::string_view bytes) const {
    std::filesystem::path p = (path_ / relative).make_preferred();
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return p.string();
  }
  std::string Write(const std::string& relative, const std::vector<uint8_t>& bytes) const {
    return Write(relative, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  }

 private:
  std::filesystem::path path_;
};

inline std::vector<uint8_t> ReadFile(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Keeps every member handed to it.
struct Member {
  std::string name;
  std::vector<uint8_t> bytes;
};

class RecordingSink : public base::MemberSink {
 public:
  using base::MemberSink::AddMember;
  void AddMember(const char* name, const uint8_t* data, size_t length) override {
    members.push_back({name, std::vector<uint8_t>(data, data + length)});
  }
  std::vector<Member> members;
};

// A console that keeps every byte printed, with the diagnostics sink that
// prints to it, as the driver wires them.
class CapturedConsole {
 public:
  CapturedConsole() : console_([this](std::string_view s) { text_.append(s); }), diag_(console_) {}
  CapturedConsole(const CapturedConsole&) = delete;
  CapturedConsole& operator=(const CapturedConsole&) = delete;

  platform::Console& Console() { return console_; }
  base::Diagnostics& Diag() { return diag_; }
  const std::string& Text() const { return text_; }
  void Clear() { text_.clear(); }

 private:
  std::string text_;
  platform::Console console_;
  platform::ConsoleDiagnostics diag_;
};

// The bytes of a text.
inline std::vector<uint8_t> Bytes(std::string_view s) { return {s.begin(), s.end()}; }

// Parses "0B 30 0b05" style hex into bytes (spaces and commas ignored).
inline std::vector<uint8_t> Hex(std::string_view text) {
  std::vector<uint8_t> out;
  int high = -1;
  for (char c : text) {
    int v;
    if (c >= '0' && c <= '9')
      v = c - '0';
    else if (c >= 'a' && c <= 'f')
      v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
      v = c - 'A' + 10;
    else
      continue;
    if (high < 0) {
      high = v;
    } else {
      out.push_back(static_cast<uint8_t>(high * 16 + v));
      high = -1;
    }
  }
  return out;
}

}  // namespace test_support
