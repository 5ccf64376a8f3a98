#include "platform/win_path.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "base/error.h"
#include "tests/support/thrown_code.h"

namespace vellumo {
namespace {

using ::testing::ElementsAre;

using test_support::ThrownCode;

TEST(WinPath, MapsDrivesBelowHome) {
  WinPath paths("/home/u/.vellumo/", nullptr);
  EXPECT_EQ(paths.ToNative("C:\\temp\\a.htm"), "/home/u/.vellumo/drive_c/temp/a.htm");
  EXPECT_EQ(paths.ToNative("c:/temp/a.htm"), "/home/u/.vellumo/drive_c/temp/a.htm");
  EXPECT_EQ(paths.ToNative("D:\\x"), "/home/u/.vellumo/drive_d/x");
  EXPECT_EQ(paths.ToNative("C:"), "/home/u/.vellumo/drive_c");
  EXPECT_EQ(paths.ToNative("C:\\"), "/home/u/.vellumo/drive_c");
  paths.MapDrive('d', "/mnt/data/");
  EXPECT_EQ(paths.ToNative("d:\\x\\y"), "/mnt/data/x/y");
  EXPECT_EQ(paths.DriveFolder('D'), "/mnt/data");
}

TEST(WinPath, NormalisesSeparatorsAndDots) {
  WinPath paths("/h", nullptr);
  EXPECT_EQ(paths.ToNative("C:\\\\temp//\\a\\.\\b\\..\\c.htm\\"), "/h/drive_c/temp/a/c.htm");
  EXPECT_EQ(paths.ToNative(std::string(WinPath::kProgramFolder) + "\\x.reg"),
            "/h/drive_c/Program Files/Corvane/Vellumo/Programs/x.reg");
}

TEST(WinPath, DotDotNeverLeavesTheDrive) {
  WinPath paths("/h", nullptr);
  EXPECT_EQ(paths.ToNative("C:\\..\\..\\etc\\passwd"), "/h/drive_c/etc/passwd");
  EXPECT_EQ(paths.ToNative("C:\\temp\\..\\..\\..\\x"), "/h/drive_c/x");
  EXPECT_EQ(paths.ToNative("..\\..\\x"), "/h/drive_c/x");
  EXPECT_EQ(paths.ToNative("D:/../../../"), "/h/drive_d");
}

TEST(WinPath, RelativeAndRootedPathsAreOnDriveC) {
  WinPath paths("/h", nullptr);
  EXPECT_EQ(paths.ToNative("temp\\a.htm"), "/h/drive_c/temp/a.htm");
  EXPECT_EQ(paths.ToNative("\\temp\\a.htm"), "/h/drive_c/temp/a.htm");
  EXPECT_EQ(paths.ToNative("C:temp"), "/h/drive_c/temp");
}

TEST(WinPath, NativePathsPassThroughNormalised) {
  int listed = 0;
  WinPath paths("/h", [&](const std::string&) {
    ++listed;
    return std::vector<std::string>{"OTHER"};
  });
  EXPECT_EQ(paths.ToNative("/home/u/a.htm"), "/home/u/a.htm");
  EXPECT_EQ(paths.ToNative("/home//u/./x/../a.htm"), "/home/u/a.htm");
  EXPECT_EQ(paths.ToNative("/../.."), "/");
  EXPECT_EQ(paths.ToNative("//home/u"), "/home/u");
  EXPECT_EQ(listed, 0) << "native paths are taken as written";
}

TEST(WinPath, RejectsPathsThatCannotLiveHere) {
  WinPath paths("/h", nullptr);
  EXPECT_EQ(ThrownCode([&] { paths.ToNative("\\\\server\\share\\a.htm"); }),
            ErrorCode::kBadFileName);
  EXPECT_EQ(ThrownCode([&] { paths.ToNative("\\/server/share"); }), ErrorCode::kBadFileName);
  EXPECT_EQ(ThrownCode([&] { paths.ToNative(""); }), ErrorCode::kBadFileName);
  EXPECT_EQ(ThrownCode([&] { paths.ToNative(std::string("C:\\a\0b", 7)); }),
            ErrorCode::kBadFileName);
  try {
    paths.ToNative("\\\\server\\share");
  } catch (const Error& error) {
    EXPECT_EQ(error.detail(), "\\\\server\\share");
  }
}

// A disk of folders and their entries, for the case-insensitive matching.
class FakeDisk {
 public:
  std::map<std::string, std::vector<std::string>> folders;
  std::vector<std::string> listed;
  WinPath::Lister lister() {
    return [this](const std::string& folder) {
      listed.push_back(folder);
      auto it = folders.find(folder);
      return it == folders.end() ? std::vector<std::string>{} : it->second;
    };
  }
};

TEST(WinPath, MatchesComponentsIgnoringCase) {
  FakeDisk disk;
  disk.folders["/h/drive_c"] = {"Temp", "Program Files"};
  disk.folders["/h/drive_c/Temp"] = {"a.htm"};
  WinPath paths("/h", disk.lister());
  EXPECT_EQ(paths.ToNative("C:\\TEMP\\A.HTM"), "/h/drive_c/Temp/a.htm");
  EXPECT_EQ(paths.ToNative("c:\\program files\\new.txt"), "/h/drive_c/Program Files/new.txt");
}

TEST(WinPath, PrefersExactCaseThenFirstInNameOrder) {
  FakeDisk disk;
  disk.folders["/h/drive_c"] = {"temp", "TEMP", "Temp"};
  WinPath paths("/h", disk.lister());
  EXPECT_EQ(paths.ToNative("C:\\Temp"), "/h/drive_c/Temp");
  EXPECT_EQ(paths.ToNative("C:\\tEMP"), "/h/drive_c/TEMP");
}

TEST(WinPath, KeepsMissingComponentsAsWrittenAndStopsListing) {
  FakeDisk disk;
  disk.folders["/h/drive_c"] = {"Temp"};
  WinPath paths("/h", disk.lister());
  EXPECT_EQ(paths.ToNative("C:\\New\\Sub\\File.TXT"), "/h/drive_c/New/Sub/File.TXT");
  EXPECT_THAT(disk.listed, ElementsAre("/h/drive_c"));
}

TEST(WinPath, ProbeSkipsListingForExactNames) {
  FakeDisk disk;
  disk.folders["/h/drive_c"] = {"temp"};
  WinPath paths("/h", disk.lister(),
                [](const std::string& native) { return native == "/h/drive_c/temp"; });
  EXPECT_EQ(paths.ToNative("C:\\temp"), "/h/drive_c/temp");
  EXPECT_TRUE(disk.listed.empty());
  EXPECT_EQ(paths.ToNative("C:\\TEMP"), "/h/drive_c/temp");
  EXPECT_THAT(disk.listed, ElementsAre("/h/drive_c"));
}

TEST(WinPath, ToWindowsReversesDriveMapping) {
  WinPath paths("/h", nullptr);
  paths.MapDrive('E', "/h/drive_c/mnt");
  EXPECT_EQ(paths.ToWindows("/h/drive_c/temp/a.htm"), "C:\\temp\\a.htm");
  EXPECT_EQ(paths.ToWindows("/h/drive_c"), "C:\\");
  EXPECT_EQ(paths.ToWindows("/h/drive_d//x/"), "D:\\x");
  EXPECT_EQ(paths.ToWindows("/h/drive_c/mnt/x"), "E:\\x") << "the deepest mapping wins";
  EXPECT_EQ(paths.ToWindows("/h/drive_cx/a"), "/h/drive_cx/a");
  EXPECT_EQ(paths.ToWindows("/elsewhere/a"), "/elsewhere/a");
  EXPECT_EQ(paths.ToWindows("relative/a"), "relative/a");
  EXPECT_EQ(paths.ToNative(paths.ToWindows("/h/drive_c/Program Files/x")),
            "/h/drive_c/Program Files/x");
}

TEST(WinPath, NativeHelpers) {
  EXPECT_EQ(WinPath::NativeJoin("/", "a"), "/a");
  EXPECT_EQ(WinPath::NativeJoin("/x", "a"), "/x/a");
  EXPECT_EQ(WinPath::NativeParent("/x/a"), "/x");
  EXPECT_EQ(WinPath::NativeParent("/a"), "/");
  EXPECT_EQ(WinPath::NativeParent("/"), "/");
  EXPECT_EQ(WinPath::LastComponent("C:\\x\\A.HTM"), "A.HTM");
  EXPECT_EQ(WinPath::LastComponent("C:\\x\\dir\\"), "dir");
  EXPECT_EQ(WinPath::LastComponent("C:a.txt"), "a.txt");
  EXPECT_EQ(WinPath::LastComponent("C:\\"), "");
}

}  // namespace
}  // namespace vellumo
