// The POSIX platform on a real folder tree, with the scan and the clean.
#include "platform/PosixPlatform.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

#include "actions/Clean.h"
#include "search/CacheScan.h"
#include "tests/TestClock.h"

namespace morlind {
namespace {

namespace fs = std::filesystem;

// Root may delete anything here, so one file is refused on purpose.
class LockingPlatform : public PosixPlatform {
 public:
  using PosixPlatform::PosixPlatform;
  std::string locked;
  bool RemoveFile(const std::string& path) override {
    return path != locked && PosixPlatform::RemoveFile(path);
  }
};

class PosixPlatformTest : public ::testing::Test {
 protected:
  PosixPlatformTest() {
    std::string pattern = (fs::temp_directory_path() / "morlind-XXXXXX").string();
    root = mkdtemp(pattern.data());
  }
  ~PosixPlatformTest() override { fs::remove_all(root); }

  static void Write(const fs::path& path, const std::string& content = "x") {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << content;
  }
  std::string Path(const char* relative) const { return root.string() + "\\" + relative; }

  fs::path root;
  PosixPlatform platform;
};

TEST_F(PosixPlatformTest, ListsEntriesWithKindAndAccessTime) {
  Write(root / "a.jpg");
  fs::create_directory(root / "sub");
  fs::create_directory_symlink(root / "sub", root / "link");
  timespec times[2] = {{1222362405, 500}, {0, UTIME_OMIT}};
  ASSERT_EQ(utimensat(AT_FDCWD, (root / "a.jpg").c_str(), times, 0), 0);

  auto listing = platform.OpenListing(Path("*.*"));
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

  EXPECT_FALSE(platform.OpenListing(Path("a.jpg\\*.*")));
  EXPECT_FALSE(platform.OpenListing(Path("none\\*")));
}

TEST_F(PosixPlatformTest, ScansAndCleansARealTreeButNothingBehindLinks) {
  const fs::path cache = root / "cache";
  for (const char* file : {"top.jpg", "A/a.jpg", "A/B/locked.jpg", "A/B/b.gif", "C/D/d.jpg"}) Write(cache / file);
  Write(root / "outside" / "keep.jpg");
  fs::create_directory(root / "emptyOutside");
  fs::create_directory_symlink(root / "outside", cache / "A" / "full");
  fs::create_directory_symlink(root / "emptyOutside", cache / "empty");
  fs::create_directory_symlink(cache, cache / "C" / "loop");

  ScanFilter filter{"jpg"};
  ResultTable table;
  EXPECT_EQ(CacheScan(platform, filter, table).ScanFolder(cache.string()), 0);
  std::set<std::string> found;
  for (int row = 0; row < table.RowCount(); ++row) found.insert(table.PathOf(row));
  const std::string in = cache.string() + "\\";
  EXPECT_EQ(found,
            (std::set<std::string>{in + "top.jpg", in + "A\\a.jpg", in + "A\\B\\locked.jpg", in + "C\\D\\d.jpg"}));

  LockingPlatform locking({{kInternetCacheFolder, cache.string()}});
  locking.locked = in + "A\\B\\locked.jpg";
  EXPECT_EQ(CleanSpecialFolder(locking, kInternetCacheFolder), 0);
  std::set<fs::path> left;
  for (const auto& entry : fs::recursive_directory_iterator(cache)) {
    left.insert(entry.path().lexically_relative(cache));
  }
  EXPECT_EQ(left, (std::set<fs::path>{"A", "A/B", "A/B/locked.jpg", "A/full", "C", "C/loop", "empty"}));
  EXPECT_TRUE(fs::exists(root / "outside" / "keep.jpg"));
  EXPECT_TRUE(fs::is_directory(root / "emptyOutside"));
}

TEST(PosixTime, ConvertsBothWaysAndFailsBefore1970) {
  MORLIND_USE_ZONE("Asia/Shanghai");
  PosixPlatform platform;
  EXPECT_EQ(platform.MomentFromLocal({2008, 9, 26, 1, 6, 45}), 1222362405);
  EXPECT_EQ(platform.LocalFieldsOf(1222362405), (LocalFields{2008, 9, 26, 1, 6, 45}));
  EXPECT_EQ(platform.MomentFromLocal({1970, 1, 1, 8, 0, 0}), 0);
  EXPECT_EQ(platform.MomentFromLocal({1960, 1, 1, 0, 0, 0}), kBadMoment);
}

}  // namespace
}  // namespace morlind
