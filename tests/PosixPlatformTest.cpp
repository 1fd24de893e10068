// The POSIX platform, which the native tests and benchmarks run on: its
// replacing file and its time conversions. Its listing is what the reader
// tests over the browsers' real caches read through; the scan and the
// clean on a real file system with real links are tested on the Win32
// platform under Wine.
#include "platform/PosixPlatform.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "tests/TestClock.h"

namespace morlind {
namespace {

namespace fs = std::filesystem;

// Renamed over a link at the target name, not written through it; given up,
// it leaves the old file and nothing else.
TEST(PosixPlatform, AReplacementTakesTheNameOnlyWhenCommitted) {
  std::string pattern = (fs::temp_directory_path() / "morlind-XXXXXX").string();
  const fs::path root = mkdtemp(pattern.data());
  std::shared_ptr<void> removed(nullptr, [&](void*) { fs::remove_all(root); });
  PosixPlatform platform;
  std::ofstream(root / "precious") << "precious";
  fs::create_directory(root / "out");
  fs::create_symlink(root / "precious", root / "out" / "name.jpg");
  const std::string target = root.string() + "\\out\\name.jpg";

  for (bool commit : {false, true}) {
    SystemError error = 0;
    std::unique_ptr<ReplacementFile> file = platform.CreateReplacement(target, &error);
    ASSERT_TRUE(file) << error;
    EXPECT_EQ(file->Write("new", 3), 0u);
    if (commit) {
      EXPECT_EQ(file->Commit(test::FileTimeOfUtc(2008, 9, 25, 17, 6, 45)), 0u);
    }
    file.reset();
    EXPECT_EQ(std::distance(fs::directory_iterator(root / "out"), {}), 1);
    EXPECT_EQ(fs::is_symlink(root / "out" / "name.jpg"), !commit);
  }
  std::ifstream copy(root / "out" / "name.jpg"), outside(root / "precious");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(copy), {}), "new");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(outside), {}), "precious");
  struct stat st {};
  ASSERT_EQ(stat((root / "out" / "name.jpg").c_str(), &st), 0);
  EXPECT_EQ(st.st_mtim.tv_sec, 1222362405);

  SystemError error = 0;
  EXPECT_FALSE(platform.CreateReplacement(root.string() + "\\gone\\x", &error));
  EXPECT_EQ(error, static_cast<SystemError>(ENOENT));
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
