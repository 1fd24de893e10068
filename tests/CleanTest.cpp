// Links, long paths and failing deletes in the clean are among the faults of
// ReliabilityTest.cpp; here the order of the deletes and the guards.
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

TEST_F(CleanTest, DeletesDepthFirstInDeliveryOrderPastALockedFile) {
  for (const char* file : {"top.jpg", "A\\a.jpg", "A\\B\\locked.jpg", "A\\B\\b.gif", "C\\D\\d.jpg"}) {
    fake.AddFile(std::string("C:\\cache\\") + file);
  }
  fake.LockFile("C:\\cache\\A\\B\\locked.jpg");

  EXPECT_EQ(Clean(), 0);
  // Delivery order, each folder emptied before its removal is tried.
  EXPECT_EQ(fake.Log(), (Paths{"delete C:\\cache\\top.jpg", "delete C:\\cache\\A\\a.jpg",
                               "delete C:\\cache\\A\\B\\locked.jpg",
                               "delete C:\\cache\\A\\B\\b.gif", "rmdir C:\\cache\\A\\B",
                               "rmdir C:\\cache\\A", "delete C:\\cache\\C\\D\\d.jpg",
                               "rmdir C:\\cache\\C\\D", "rmdir C:\\cache\\C"}));
}

TEST_F(CleanTest, DeletesNothingWithoutAUsableFolder) {
  fake.AddFile("C:\\cache\\f.jpg");
  fake.AddFile("C:\\f.jpg");
  for (const char* path : {"", "C:", "C:\\", "c:/", "D:\\\\", "\\", "\\\\", "A:", "Z:\\", "a:\\", "z:"}) {
    fake.SetSpecialFolder(kInternetCacheFolder, path);
    EXPECT_EQ(Clean(), 1) << path;
  }
  EXPECT_EQ(CleanSpecialFolder(fake, 0x1c), 1);  // a folder the shell does not have
  EXPECT_EQ(fake.ListingsOpened(), 0);
  EXPECT_TRUE(fake.Log().empty());
  for (const char* path : {"C:\\cache", "C:cache", "C:x", "cache", "", "1:\\", "@:", "[:", "`:", "{:"}) {
    EXPECT_FALSE(IsDriveRoot(path)) << path;
  }
}

TEST_F(CleanTest, TreatsWhatCannotBeListedAsAFile) {
  fake.AddFile("C:\\cache\\f.jpg");
  fake.AddFile("C:\\cache\\refused\\inside.jpg");
  fake.RefuseListing("C:\\cache\\refused");
  const std::string tooLong = "C:\\" + std::string(255, 'x');  // its "\\*" makes 260
  fake.AddFolder(tooLong);
  for (const std::string& dir : {std::string("C:\\cache\\f.jpg"), std::string("C:\\missing"), tooLong}) {
    EXPECT_EQ(DeleteTree(fake, dir), 1) << dir;
  }
  EXPECT_EQ(DeleteTree(fake, "C:\\cache"), 0);
  EXPECT_EQ(fake.Log(), (Paths{"delete C:\\cache\\f.jpg", "delete C:\\cache\\refused"}));
}

}  // namespace
}  // namespace morlind
