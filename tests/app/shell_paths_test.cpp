#include "app/shell_paths.h"

#include <gtest/gtest.h>

namespace tvn {
namespace {

TEST(ShellPaths, FolderOfPath) {
  struct Case {
    const char* path;
    const char* folder;
  };
  const Case cases[] = {
      {"C:\\Program Files\\Torvane\\torvane.exe", "C:\\Program Files\\Torvane\\"},
      {"C:\\torvane.exe", "C:\\"},  // a drive root keeps a single backslash
      {"D:torvane.exe", "D:\\"},
      {"\"C:\\Program Files\\Ombrix\\ombrix.exe\" /min", "\"C:\\Program Files\\Ombrix\\"},
      {"ombrix.exe", ""},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(FolderOfPath(c.path), c.folder) << c.path;
}

TEST(ShellPaths, WindowsDirAndDriveLetter) {
  EXPECT_EQ(WindowsDirFrom(true, "C:\\WINDOWS"), "C:\\WINDOWS\\");
  EXPECT_EQ(WindowsDirFrom(true, "E:\\"), "E:\\");
  EXPECT_EQ(WindowsDirFrom(false, ""), "?\\");
  EXPECT_EQ(SystemDriveLetterOf("E:\\WINDOWS\\"), "E");
  EXPECT_EQ(SystemDriveLetterOf(WindowsDirFrom(false, "")), "C");
}

TEST(ShellPaths, SiblingFolderFromRunValues) {
  struct Case {
    const char* name;
    RegistryValues values;
    const char* folder;
  };
  const Case cases[] = {
      {"exact name", {{"OMBRIX", "C:\\Program Files\\Ombrix\\ombrix.exe"}}, "C:\\Program Files\\Ombrix\\"},
      {"any letter case", {{"Other", "C:\\x\\y.exe"}, {"oMbRiX", "D:\\Ob\\ob.exe"}}, "D:\\Ob\\"},
      {"longer name", {{"OMBRIX2", "C:\\Ob\\ob.exe"}, {"OMBRIXTRAY", "C:\\Ob\\t.exe"}}, ""},
      {"quoted path keeps its quote", {{"Ombrix", "\"C:\\Ob\\ob.exe\" -s"}}, "\"C:\\Ob\\"},
      {"first match wins", {{"OMBRIX", "C:\\A\\a.exe"}, {"ombrix", "C:\\B\\b.exe"}}, "C:\\A\\"},
      {"no folder part", {{"OMBRIX", "ombrix.exe"}}, ""},
      {"no value", {}, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(SiblingFolderFromRunValues(c.values), c.folder) << c.name;
}

}  // namespace
}  // namespace tvn
