#include "platform/Win32Platform.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <map>

#include "search/CacheScan.h"
#include "tests/TestClock.h"

namespace morlind {
namespace {

// A fresh folder under the prefix's temp folder, removed afterwards.
class Win32PlatformTest : public ::testing::Test {
 protected:
  Win32PlatformTest() {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    root = std::string(temp) + "morlind-" + std::to_string(GetCurrentProcessId()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name();
    CreateDirectoryA(root.c_str(), nullptr);
  }
  ~Win32PlatformTest() override { RemoveAll(root); }

  static void RemoveAll(const std::string& dir) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        std::string child = dir + "\\" + name;
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
          RemoveAll(child);
        } else {
          DeleteFileA(child.c_str());
        }
      } while (FindNextFileA(find, &data));
      FindClose(find);
    }
    RemoveDirectoryA(dir.c_str());
  }

  void Write(const std::string& path, const std::string& content = "x") {
    std::ofstream(path, std::ios::binary) << content;
  }

  void SetAccess(const std::string& path, std::uint64_t fileTime) {
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    FILETIME access{static_cast<DWORD>(fileTime), static_cast<DWORD>(fileTime >> 32)};
    SetFileTime(file, nullptr, &access, nullptr);
    CloseHandle(file);
  }

  std::string root;
  Win32Platform platform;
};

TEST_F(Win32PlatformTest, ListsEveryEntryWithKindAndAccessTime) {
  Write(root + "\\a.jpg");
  CreateDirectoryA((root + "\\sub").c_str(), nullptr);
  const std::uint64_t access = test::FileTimeOfUtc(2008, 9, 25, 17, 6, 45);
  SetAccess(root + "\\a.jpg", access);

  auto listing = platform.OpenListing(root + "\\*.*");
  ASSERT_TRUE(listing);
  std::map<std::string, DirEntry> seen;
  do seen[std::string(listing->Current().name)] = listing->Current();
  while (listing->Next());

  EXPECT_EQ(seen.size(), 4u);  // ".", "..", a.jpg, sub
  EXPECT_FALSE(seen["a.jpg"].IsDirectory());
  EXPECT_EQ(seen["a.jpg"].lastAccess / 10'000'000, access / 10'000'000);
  EXPECT_TRUE(seen["sub"].IsDirectory());
  EXPECT_FALSE(platform.OpenListing(root + "\\a.jpg\\*.*"));
  EXPECT_FALSE(platform.OpenListing(root + "\\missing\\*"));
}

TEST_F(Win32PlatformTest, ScansARealFolderTree) {
  MORLIND_USE_ZONE("Asia/Shanghai");
  CreateDirectoryA((root + "\\A1B2").c_str(), nullptr);
  Write(root + "\\A1B2\\photo[1].jpg");
  Write(root + "\\A1B2\\clip[1].swf");
  SetAccess(root + "\\A1B2\\photo[1].jpg", test::FileTimeOfUtc(2008, 9, 25, 17, 6, 45));

  ScanFilter filter{"JPG", kNoLimit, 0, 0};
  ResultTable table;
  EXPECT_EQ(CacheScan(platform, filter, table).ScanFolder(root), 0);
  ASSERT_EQ(table.RowCount(), 1);
  EXPECT_EQ(table.PathOf(0), root + "\\A1B2\\photo[1].jpg");
  EXPECT_EQ(table.GetItemText(0, Column::kAccessTime), "2008-9-26 1:6:45");
}

TEST_F(Win32PlatformTest, CopiesReplacingAndRemoves) {
  Write(root + "\\src", "new");
  Write(root + "\\dst", "old content");
  EXPECT_TRUE(platform.CopyFileReplacing(root + "\\src", root + "\\dst"));
  std::ifstream in(root + "\\dst", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "new");
  EXPECT_TRUE(platform.RemoveFile(root + "\\src"));
  EXPECT_FALSE(platform.RemoveFile(root + "\\src"));
  CreateDirectoryA((root + "\\empty").c_str(), nullptr);
  EXPECT_TRUE(platform.RemoveEmptyFolder(root + "\\empty"));
}

TEST(Win32Shell, HasAnInternetCacheFolder) {
  Win32Platform platform;
  std::optional<std::string> cache = platform.SpecialFolderPath(kInternetCacheFolder);
  ASSERT_TRUE(cache);
  EXPECT_NE(cache->find("INetCache"), std::string::npos) << *cache;
}

TEST(Win32Time, ConvertsInShanghai) {
  MORLIND_USE_ZONE("Asia/Shanghai");
  Win32Platform platform;
  EXPECT_EQ(platform.MomentFromLocal({2008, 9, 26, 1, 6, 45}), 1222362405);
  EXPECT_EQ(platform.LocalFieldsOf(1222362405), (LocalFields{2008, 9, 26, 1, 6, 45}));
  EXPECT_EQ(platform.MomentFromLocal({2040, 1, 1, 0, 0, 0}), kBadMoment);
  // Outside the runtime's range the system's rules still give a date.
  EXPECT_EQ(platform.LocalFieldsOf(-157766400), (LocalFields{1965, 1, 1, 8, 0, 0}));
}

TEST(Win32Time, FollowsDaylightSavingInBerlin) {
  MORLIND_USE_ZONE("Europe/Berlin");
  Win32Platform platform;
  EXPECT_EQ(platform.LocalFieldsOf(1214906400), (LocalFields{2008, 7, 1, 12, 0, 0}));
  EXPECT_EQ(platform.LocalFieldsOf(1200394800), (LocalFields{2008, 1, 15, 12, 0, 0}));
  EXPECT_EQ(platform.MomentFromLocal({2008, 7, 1, 12, 0, 0}), 1214906400);
}

TEST(Win32Text, AnsiIsCodePage936) {
  Win32Platform platform;
  ASSERT_EQ(GetACP(), 936u);
  EXPECT_EQ(platform.AnsiToUtf8("\xCD\xBC\xC6\xAC.jpg"), "\xE5\x9B\xBE\xE7\x89\x87.jpg");
}

}  // namespace
}  // namespace morlind
