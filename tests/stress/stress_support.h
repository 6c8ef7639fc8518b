#pragma once

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "driver/messages.h"
#include "member_data.h"
#include "run_converter.h"
#include "test_support.h"
#include "verified_archive.h"

namespace stress {

// The sanitizers slow the converter down several times and keep freed
// memory in quarantine, so the bounds on time and memory are wider there.
// The peak resident set of the child counts the test process's own pages
// at the fork, which the sanitizers make large too.
#ifdef AVD_SANITIZED
inline constexpr double kSlowdown = 8;
inline constexpr long kMostRssKb = 1024 * 1024;
#else
inline constexpr double kSlowdown = 1;
inline constexpr long kMostRssKb = 64 * 1024;
#endif

// A converter installed in a folder of its own, next to a game folder.
class ConverterSetup {
 public:
  // Installs the converter in `subFolder` (created; may be deep) of `bin`.
  explicit ConverterSetup(const std::filesystem::path& subFolder = {}) {
    std::filesystem::create_directories(bin.Path() / subFolder);
    exe_ = test_support::InstallConverter(bin.Path() / subFolder);
  }

  std::filesystem::path Folder() const {
    return std::filesystem::canonical(std::filesystem::path(exe_).parent_path());
  }
  std::string ArchivePath() const { return (Folder() / "DAV299.AVD").string(); }
  std::string SpoolPath() const { return (Folder() / "tmp.dat").string(); }

  // Converts `gameFolder` (typed into the chooser), with the size of every
  // file the converter writes limited to `fileSizeLimit` bytes and its
  // address space to `addressSpaceLimit`. The run must
  // end within `seconds` (scaled under the sanitizers) and the memory bound;
  // one that hangs is stopped soon after.
  test_support::RunResult Convert(const std::filesystem::path& gameFolder, double seconds,
                                  rlim_t fileSizeLimit = RLIM_INFINITY,
                                  rlim_t addressSpaceLimit = RLIM_INFINITY) {
    const double bound = seconds * kSlowdown;
    const auto start = std::chrono::steady_clock::now();
    test_support::RunResult r = test_support::RunWithTerminal(
        exe_, gameFolder.string() + "\r", 'a', std::chrono::seconds(static_cast<int>(2 * bound) + 10),
        [fileSizeLimit, addressSpaceLimit] {
          std::signal(SIGXFSZ, SIG_IGN);
          rlimit limit{fileSizeLimit, fileSizeLimit};
          setrlimit(RLIMIT_FSIZE, &limit);
          rlimit space{addressSpaceLimit, addressSpaceLimit};
          setrlimit(RLIMIT_AS, &space);
        });
    const double taken = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(r.exitStatus, 'a') << "the run did not end normally";
    EXPECT_LT(taken, bound);
    EXPECT_LT(r.peakRssKb, kMostRssKb);
    return r;
  }

  archive::ArchiveContents Archive() const { return test_support::ReadVerifiedArchive(ArchivePath()); }

  test_support::TempDir bin;

 private:
  std::string exe_;
};

// What the converter printed from "... コンバート中です" on, progress line
// and summary removed: the passes' lines between that and "終了しました.".
inline std::string PassLines(const test_support::RunResult& r) {
  const size_t from = r.output.find(driver::text::kConverting);
  if (from == std::string::npos) return "(the conversion never started)";
  std::string lines = test_support::WithoutSummary(test_support::WithoutProgress(r.output.substr(from)));
  const std::string head(driver::text::kConverting);
  const std::string tail = std::string(driver::text::kFinished) + std::string(driver::text::kPressAKey);
  if (!lines.starts_with(head) || !lines.ends_with(tail)) return "(unexpected frame) " + lines;
  return lines.substr(head.size(), lines.size() - head.size() - tail.size());
}

// The number of lines of `text` that begin with `prefix`.
inline size_t CountLines(const std::string& text, const std::string& prefix) {
  size_t count = 0;
  for (size_t at = 0; at < text.size();) {
    const size_t end = text.find('\n', at);
    if (text.compare(at, prefix.size(), prefix) == 0) ++count;
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return count;
}

inline std::vector<uint8_t> Repeat(const std::vector<uint8_t>& unit, size_t times) {
  std::vector<uint8_t> out;
  out.reserve(unit.size() * times);
  for (size_t i = 0; i < times; ++i) out.insert(out.end(), unit.begin(), unit.end());
  return out;
}

// Bytes that do not compress.
using member_data::Noise;

// The 2 × 2 run-length picture of the worked example and its member.
inline const char* kSmallPicture = "02 00 02 00 02 00 00 FF 82 00 FF 00 FF FF FF 00";
inline const char* kSmallPictureMember =
    "50 44 54 31 30 00 00 00 00 00 00 00 02 00 00 00 02 00 00 00 00 00 00 00 00 00 00 00 02 00 00 00 E7 B9 "
    "BF";

}  // namespace stress
