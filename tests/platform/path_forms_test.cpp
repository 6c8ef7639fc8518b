#include "platform/path_forms.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using platform::ExtendedLengthPath;

TEST(ExtendedLengthPath, AFullDrivePathGetsTheLongFormTidiedAsWindowsTidiesIt) {
  EXPECT_EQ(ExtendedLengthPath("C:\\Games\\Kirunaato\\"), "\\\\?\\C:\\Games\\Kirunaato\\");
  EXPECT_EQ(ExtendedLengthPath("c:/Games//Kirunaato/./MES/../CG/BG01.MOE"),
            "\\\\?\\c:\\Games\\Kirunaato\\CG\\BG01.MOE");
  EXPECT_EQ(ExtendedLengthPath("C:\\"), "\\\\?\\C:\\");
  EXPECT_EQ(ExtendedLengthPath("C:\\..\\..\\x"), "\\\\?\\C:\\x") << "never above the root";
}

TEST(ExtendedLengthPath, ReservedNamesAndTrailingDotsStayNamesOfFiles) {
  EXPECT_EQ(ExtendedLengthPath("Z:\\game\\CON.MOE"), "\\\\?\\Z:\\game\\CON.MOE");
  EXPECT_EQ(ExtendedLengthPath("Z:\\game\\LPT1.MOE"), "\\\\?\\Z:\\game\\LPT1.MOE");
  EXPECT_EQ(ExtendedLengthPath("Z:\\game\\name. "), "\\\\?\\Z:\\game\\name. ");
}

TEST(ExtendedLengthPath, ASharesServerAndShareAreItsRoot) {
  EXPECT_EQ(ExtendedLengthPath("\\\\server\\share\\game\\..\\..\\x"), "\\\\?\\UNC\\server\\share\\x");
  EXPECT_EQ(ExtendedLengthPath("//server/share"), "\\\\?\\UNC\\server\\share");
  EXPECT_EQ(ExtendedLengthPath("\\\\server"), "\\\\server") << "no share: left to the system";
}

TEST(ExtendedLengthPath, PathsThatAreNotFullOrAlreadyInADeviceFormStayAsTheyAre) {
  for (const char* path : {"game\\MES", "C:game", "C:", "\\game", "", "\\\\?\\C:\\a\\..\\b", "\\\\.\\pipe\\x",
                           "\\\\?\\UNC\\s\\h"}) {
    EXPECT_EQ(ExtendedLengthPath(path), path);
  }
}

TEST(ExtendedLengthPath, APathBeyondTheOldLimitKeepsEveryCharacter) {
  std::string path = "C:\\";
  for (int i = 0; i < 30; ++i) path += "folder" + std::to_string(i) + "\\";
  path += "BG01.MOE";
  ASSERT_GT(path.size(), 260u);
  EXPECT_EQ(ExtendedLengthPath(path), "\\\\?\\" + path);
}

}  // namespace
