#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <utility>
#include <vector>

#include "archive/archive_reader.h"
#include "audit/verify.h"
#include "test_support.h"

namespace test_support {

// Reads the archive at `path` through the archive reader, once avdtool's
// verification has found that it keeps every promise of the format (a
// failed expectation lists the problems otherwise).
inline archive::ArchiveContents ReadVerifiedArchive(const std::filesystem::path& path) {
  std::vector<uint8_t> bytes = ReadFile(path);
  const audit::Verification verification = audit::Verify(bytes);
  EXPECT_TRUE(verification.problems.empty()) << path << ":\n" << audit::VerificationReport(verification);
  return archive::ArchiveContents(std::move(bytes));
}

}  // namespace test_support
