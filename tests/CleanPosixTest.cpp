// The clean on a real folder tree, through the POSIX platform.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "actions/Clean.h"
#include "platform/PosixPlatform.h"

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

class CleanPosixTest : public ::testing::Test {
 protected:
  CleanPosixTest() {
    std::string pattern = (fs::temp_directory_path() / "morlind-XXXXXX").string();
    root = mkdtemp(pattern.data());
  }
  ~CleanPosixTest() override { fs::remove_all(root); }

  static void Write(const fs::path& path) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "x";
  }

  fs::path root;
};

TEST_F(CleanPosixTest, CleansTheTreeButNothingBehindLinks) {
  const fs::path cache = root / "cache";
  Write(cache / "top.jpg");
  Write(cache / "A" / "a.jpg");
  Write(cache / "A" / "B" / "locked.jpg");
  Write(cache / "A" / "B" / "b.gif");
  Write(cache / "C" / "D" / "d.jpg");
  Write(root / "outside" / "keep.jpg");
  fs::create_directory(root / "emptyOutside");
  fs::create_directory_symlink(root / "outside", cache / "A" / "full");
  fs::create_directory_symlink(root / "emptyOutside", cache / "empty");

  LockingPlatform platform({{kInternetCacheFolder, cache.string()}});
  platform.locked = cache.string() + "\\A\\B\\locked.jpg";
  EXPECT_EQ(CleanSpecialFolder(platform, kInternetCacheFolder), 0);

  std::set<fs::path> left;
  for (const auto& entry : fs::recursive_directory_iterator(cache)) {
    left.insert(entry.path().lexically_relative(cache));
  }
  EXPECT_EQ(left, (std::set<fs::path>{"A", "A/B", "A/B/locked.jpg", "A/full", "empty"}));
  EXPECT_TRUE(fs::exists(root / "outside" / "keep.jpg"));
  EXPECT_TRUE(fs::is_directory(root / "emptyOutside"));
}

}  // namespace
}  // namespace morlind
