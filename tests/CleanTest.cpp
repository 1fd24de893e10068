#include "actions/Clean.h"

#include <gtest/gtest.h>

#include "platform/FakePlatform.h"
#include "tests/TestClock.h"

namespace morlind {
namespace {

using Paths = std::vector<std::string>;

class CleanTest : public ::testing::Test {
 protected:
  CleanTest() { fake.SetSpecialFolder(kInternetCacheFolder, "C:\\cache"); }
  int Clean() { return CleanSpecialFolder(fake, kInternetCacheFolder); }
  FakePlatform fake{test::HostPlatform()};
};

TEST_F(CleanTest, DeletesDepthFirstAndKeepsALockedFileWithItsFolders) {
  fake.AddFile("C:\\cache\\top.jpg");
  fake.AddFile("C:\\cache\\A\\a.jpg");
  fake.AddFile("C:\\cache\\A\\B\\locked.jpg");
  fake.AddFile("C:\\cache\\A\\B\\b.gif");
  fake.AddFile("C:\\cache\\C\\D\\d.jpg");
  fake.LockFile("C:\\cache\\A\\B\\locked.jpg");

  EXPECT_EQ(Clean(), 0);
  // Delivery order, each folder emptied before its removal is tried.
  EXPECT_EQ(fake.Log(), (Paths{"delete C:\\cache\\top.jpg", "delete C:\\cache\\A\\a.jpg",
                               "delete C:\\cache\\A\\B\\locked.jpg",
                               "delete C:\\cache\\A\\B\\b.gif", "rmdir C:\\cache\\A\\B",
                               "rmdir C:\\cache\\A", "delete C:\\cache\\C\\D\\d.jpg",
                               "rmdir C:\\cache\\C\\D", "rmdir C:\\cache\\C"}));
  EXPECT_EQ(fake.Tree("C:\\cache"),
            (Paths{"C:\\cache\\A\\", "C:\\cache\\A\\B\\", "C:\\cache\\A\\B\\locked.jpg"}));
  EXPECT_TRUE(fake.Exists("C:\\cache"));
}

TEST_F(CleanTest, LeavesFolderLinksAndEverythingBehindThemAlone) {
  fake.AddFile("D:\\outside\\keep.jpg");
  fake.AddFolder("D:\\emptyOutside");
  fake.AddLink("C:\\cache\\A\\full", "D:\\outside");
  fake.AddLink("C:\\cache\\empty", "D:\\emptyOutside");
  fake.AddFile("C:\\cache\\A\\a.jpg");

  EXPECT_EQ(Clean(), 0);
  EXPECT_EQ(fake.Log(), (Paths{"delete C:\\cache\\A\\a.jpg", "rmdir C:\\cache\\A"}));
  EXPECT_TRUE(fake.Exists("D:\\outside\\keep.jpg"));
  EXPECT_TRUE(fake.Exists("D:\\emptyOutside"));
  EXPECT_TRUE(fake.Exists("C:\\cache\\A\\full"));
  EXPECT_TRUE(fake.Exists("C:\\cache\\empty"));
}

TEST_F(CleanTest, DeletesNothingWithoutAUsableFolder) {
  fake.AddFile("C:\\cache\\f.jpg");
  fake.AddFile("C:\\f.jpg");
  for (const char* path : {"", "C:", "C:\\", "c:/", "D:\\\\", "\\"}) {
    fake.SetSpecialFolder(kInternetCacheFolder, path);
    EXPECT_EQ(Clean(), 1) << path;
  }
  EXPECT_EQ(CleanSpecialFolder(fake, 0x1c), 1);  // a folder the shell does not have
  EXPECT_EQ(fake.ListingsOpened(), 0);
  EXPECT_TRUE(fake.Log().empty());

  EXPECT_FALSE(IsDriveRoot("C:\\cache"));
  EXPECT_FALSE(IsDriveRoot("C:cache"));
  EXPECT_FALSE(IsDriveRoot("1:\\"));
}

TEST_F(CleanTest, TreatsWhatCannotBeListedAsAFile) {
  fake.AddFile("C:\\cache\\f.jpg");
  fake.AddFile("C:\\cache\\refused\\inside.jpg");
  fake.RefuseListing("C:\\cache\\refused");
  EXPECT_EQ(DeleteTree(fake, "C:\\cache\\f.jpg"), 1);
  EXPECT_EQ(DeleteTree(fake, "C:\\missing"), 1);
  EXPECT_EQ(DeleteTree(fake, "C:\\cache"), 0);
  EXPECT_EQ(fake.Log(), (Paths{"delete C:\\cache\\f.jpg", "delete C:\\cache\\refused"}));
  EXPECT_TRUE(fake.Exists("C:\\cache\\refused\\inside.jpg"));
}

TEST_F(CleanTest, SkipsPathsOverTheLimitInsteadOfCuttingThem) {
  const std::string deep = "C:\\cache\\" + std::string(249, 'd');  // fits, its "\\*" does not
  const std::string dir = "C:\\cache\\" + std::string(200, 'e');
  const std::string longFile = dir + "\\" + std::string(60, 'f');
  fake.AddFile(deep + "\\x.jpg");
  fake.AddFile(longFile);
  fake.AddFile(dir + "\\short.jpg");

  EXPECT_EQ(Clean(), 0);
  EXPECT_EQ(fake.Log(), (Paths{"delete " + dir + "\\short.jpg", "rmdir " + dir}));
  EXPECT_TRUE(fake.Exists(deep + "\\x.jpg"));
  EXPECT_TRUE(fake.Exists(longFile));
}

}  // namespace
}  // namespace morlind
