// Where DATA, the archive and the spool live when the options leave them to
// the converter: its own folder, or the working folder once it is installed.
#include "driver/home_folder.h"

#include <gtest/gtest.h>

namespace {

using driver::HomeFolder;
using driver::IsProgramsFolder;

TEST(HomeFolder, FoldersOfInstalledProgramsAreThoseNamedBinSbinOrGamesWithOrWithoutTheSeparator) {
  for (const char* folder :
       {"/usr/bin/", "/usr/local/bin", "/home/me/.local/bin/", "/usr/games/", "/usr/sbin", "/bin//"}) {
    EXPECT_TRUE(IsProgramsFolder(folder)) << folder;
  }
  for (const char* folder : {"/home/me/avdconv/out/", "/opt/bin-tools/", "/home/me/mybin/", "/usr/bin/avd/",
                             "/", "", "/home/me/BIN/"}) {
    EXPECT_FALSE(IsProgramsFolder(folder)) << folder;
  }
}

TEST(HomeFolder, AnInstalledConverterTakesTheWorkingFolderAndThePortableOneItsOwn) {
  EXPECT_EQ(HomeFolder("/usr/bin/", false, "/home/me/work/"), "/home/me/work/");
  // The portable layout, wherever it stands, and a converter with its DATA
  // even among other programs.
  EXPECT_EQ(HomeFolder("/home/me/avdconv/out/", false, "/home/me/"), "/home/me/avdconv/out/");
  EXPECT_EQ(HomeFolder("/home/me/bin/", true, "/tmp/"), "/home/me/bin/");
  // An unknown folder is never guessed at.
  EXPECT_EQ(HomeFolder("", false, "/tmp/"), "");
  EXPECT_EQ(HomeFolder("/usr/bin/", false, ""), "");
  EXPECT_EQ(HomeFolder("/home/me/out/", false, ""), "/home/me/out/");
}

}  // namespace
