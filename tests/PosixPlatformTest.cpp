#include "platform/PosixPlatform.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "search/CacheScan.h"
#include "tests/TestClock.h"

namespace morlind {
namespace {

namespace fs = std::filesystem;

class PosixPlatformTest : public ::testing::Test {
 protected:
  PosixPlatformTest() {
    std::string pattern = (fs::temp_directory_path() / "morlind-XXXXXX").string();
    root = mkdtemp(pattern.data());
  }
  ~PosixPlatformTest() override { fs::remove_all(root); }

  void Write(const fs::path& path, const std::string& content = "x") {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << content;
  }

  fs::path root;
  PosixPlatform platform;
};

TEST_F(PosixPlatformTest, ListsEntriesWithKindAndAccessTime) {
  Write(root / "a.jpg");
  fs::create_directory(root / "sub");
  fs::create_directory_symlink(root / "sub", root / "link");
  timespec times[2] = {{1222362405, 500}, {0, UTIME_OMIT}};
  ASSERT_EQ(utimensat(AT_FDCWD, (root / "a.jpg").c_str(), times, 0), 0);

  auto listing = platform.OpenListing(root.string() + "\\*.*");
  ASSERT_TRUE(listing);
  std::map<std::string, DirEntry> seen;
  do seen[std::string(listing->Current().name)] = listing->Current();
  while (listing->Next());

  EXPECT_EQ(seen.size(), 5u);  // ".", "..", a.jpg, sub, link
  EXPECT_FALSE(seen["a.jpg"].IsDirectory());
  EXPECT_EQ(seen["a.jpg"].lastAccess, test::FileTimeOfUtc(2008, 9, 25, 17, 6, 45) + 5);
  EXPECT_TRUE(seen["sub"].IsDirectory());
  EXPECT_FALSE(seen["sub"].IsReparsePoint());
  EXPECT_TRUE(seen["link"].IsDirectory());
  EXPECT_TRUE(seen["link"].IsReparsePoint());

  EXPECT_FALSE(platform.OpenListing((root / "a.jpg").string() + "\\*.*"));
  EXPECT_FALSE(platform.OpenListing((root / "none").string() + "\\*"));
}

TEST_F(PosixPlatformTest, CopiesReplacingAndRemovesOnlyWhatItIsAskedTo) {
  Write(root / "src", "new");
  Write(root / "dst", "old content");
  EXPECT_TRUE(platform.CopyFileReplacing(root.string() + "\\src", root.string() + "\\dst"));
  std::ifstream in(root / "dst");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "new");
  EXPECT_FALSE(platform.CopyFileReplacing(root.string() + "\\gone", root.string() + "\\dst"));

  fs::create_directory(root / "dir");
  EXPECT_FALSE(platform.RemoveFile(root.string() + "\\dir"));
  EXPECT_TRUE(platform.RemoveFile(root.string() + "\\src"));
  Write(root / "full" / "f");
  EXPECT_FALSE(platform.RemoveEmptyFolder(root.string() + "\\full"));
  EXPECT_TRUE(platform.RemoveEmptyFolder(root.string() + "\\dir"));
  EXPECT_FALSE(fs::exists(root / "dir"));
  EXPECT_TRUE(fs::exists(root / "full" / "f"));
}

TEST_F(PosixPlatformTest, ScansARealTreeWithoutFollowingLinks) {
  fs::path outside = root / "outside";
  Write(outside / "secret.jpg");
  Write(root / "cache" / "A1" / "photo[1].jpg");
  fs::create_directory_symlink(outside, root / "cache" / "A1" / "link");
  fs::create_directory_symlink(root / "cache", root / "cache" / "loop");

  ScanFilter filter;
  ResultTable table;
  EXPECT_EQ(CacheScan(platform, filter, table).ScanFolder((root / "cache").string()), 0);
  ASSERT_EQ(table.RowCount(), 1);
  EXPECT_EQ(table.PathOf(0), (root / "cache").string() + "\\A1\\photo[1].jpg");
}

TEST(PosixTime, ConvertsBothWaysAndFailsOutsideTheRange) {
  MORLIND_USE_ZONE("Asia/Shanghai");
  PosixPlatform platform;
  EXPECT_EQ(platform.MomentFromLocal({2008, 9, 26, 1, 6, 45}), 1222362405);
  EXPECT_EQ(platform.LocalFieldsOf(1222362405), (LocalFields{2008, 9, 26, 1, 6, 45}));
  EXPECT_EQ(platform.MomentFromLocal({2040, 1, 1, 0, 0, 0}), kBadMoment);
  EXPECT_EQ(platform.MomentFromLocal({1960, 1, 1, 0, 0, 0}), kBadMoment);
}

}  // namespace
}  // namespace morlind
