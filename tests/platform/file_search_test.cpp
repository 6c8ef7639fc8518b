#include "platform/file_search.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

using test_support::TempDir;

std::vector<std::string> Search(const std::string& pattern) {
  std::vector<std::string> names;
  platform::FileSearch search;
  for (const platform::FoundName* n = search.FindFirstName(pattern); n; n = search.FindNextName())
    names.push_back(n->file);
  return names;
}

TEST(NameMatches, WildcardsAndLetterCase) {
  using platform::NameMatches;
  EXPECT_TRUE(NameMatches("*.SIO", "prologue.sio"));
  EXPECT_TRUE(NameMatches("*.sio", "A.SIO"));
  EXPECT_FALSE(NameMatches("*.SIO", "A.SIO.BAK"));
  EXPECT_FALSE(NameMatches("*.SIO", "ASIO"));
  EXPECT_TRUE(NameMatches("A?C.*", "abc.moe"));
  EXPECT_FALSE(NameMatches("A?C.*", "ac.moe"));
  EXPECT_TRUE(NameMatches("*A*B*", "xxaxxbxx"));
  EXPECT_FALSE(NameMatches("*A*B*", "xxbxxaxx"));
  // "*.*" matches every name, with or without a dot.
  EXPECT_TRUE(NameMatches("*.*", "README"));
  EXPECT_TRUE(NameMatches("*.*", ".hidden"));
  // Bytes above 0x7F are compared as they are.
  EXPECT_TRUE(NameMatches("\x82\xA0*.MOE", "\x82\xA0x.moe"));
  EXPECT_FALSE(NameMatches("\x82\xC0*.MOE", "\x82\xA0x.moe"));
}

TEST(FileSearch, MissingFolderOrNoMatchGivesNothing) {
  TempDir dir;
  dir.Write("DATA/x.txt", "x");
  EXPECT_TRUE(Search(dir.Folder() + "NONE/*.*").empty());
  EXPECT_TRUE(Search(dir.Folder() + "DATA/*.SIO").empty());
  platform::FileSearch unstarted;
  EXPECT_EQ(unstarted.FindNextName(), nullptr);
}

TEST(FileSearch, OnlyFoldersMeansNoNameAndAClosedSearch) {
  TempDir dir;
  std::filesystem::create_directories(dir.Path() / "DATA" / "a");
  std::filesystem::create_directories(dir.Path() / "DATA" / "b");
  platform::FileSearch search;
  EXPECT_EQ(search.FindFirstName(dir.Folder() + "DATA/*.*"), nullptr);
  EXPECT_EQ(search.FindNextName(), nullptr);
}

TEST(FileSearch, AStartedSearchAbandonsTheUnfinishedOne) {
  TempDir dir;
  dir.Write("A/1", "x");
  dir.Write("A/2", "x");
  dir.Write("B/3", "x");
  platform::FileSearch search;
  ASSERT_NE(search.FindFirstName(dir.Folder() + "A/*.*"), nullptr);
  EXPECT_EQ(search.FindFirstName(dir.Folder() + "B/*.*")->file, "3");
  EXPECT_EQ(search.FindNextName(), nullptr);
  EXPECT_EQ(search.FindNextName(), nullptr);
}

TEST(FileSearch, TwoSearchesRunSideBySide) {
  TempDir dir;
  dir.Write("A/1", "x");
  dir.Write("B/2", "x");
  platform::FileSearch outer, inner;
  ASSERT_EQ(outer.FindFirstName(dir.Folder() + "A/*.*")->file, "1");
  EXPECT_EQ(inner.FindFirstName(dir.Folder() + "B/*.*")->file, "2");
  EXPECT_EQ(outer.FindNextName(), nullptr);
  EXPECT_EQ(inner.FindNextName(), nullptr);
}

}  // namespace
