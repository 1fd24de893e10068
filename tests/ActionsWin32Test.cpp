// The Win32 platform and the actions on real folders of the prefix. What
// the fake file system stands in for elsewhere is checked here once on the
// real one; the time conversions are those of core_tests' host platform
// under Wine. The real dialogs are driven by the end-to-end test.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <map>

#include "actions/Clean.h"
#include "actions/Save.h"
#include "platform/Win32Platform.h"
#include "search/CacheScan.h"
#include "tests/FakeUi.h"
#include "tests/TestClock.h"

namespace morlind {
namespace {

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
bool IsFolder(const std::string& path) {
  return Exists(path) && (GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
}
std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A fresh folder of the test under the prefix's temp folder, removed
// afterwards, holding the cache folder the shell is made to report.
class Scratch : public Win32Platform {
 public:
  Scratch() {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    root = std::string(temp) + "morlind-" + std::to_string(GetCurrentProcessId()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name();
    cache = root + "\\cache";
    for (const std::string& dir : {root, cache}) CreateDirectoryA(dir.c_str(), nullptr);
  }
  ~Scratch() override {
    DeleteTree(*this, root);
    RemoveEmptyFolder(root);
  }
  std::optional<std::string> SpecialFolderPath(int) override { return cache; }

  // A file below the cache, with the folders on its way.
  std::string Write(const std::string& relative, const std::string& content = "x") {
    for (std::size_t slash = 0; (slash = relative.find('\\', slash + 1)) != std::string::npos;) {
      CreateDirectoryA((cache + "\\" + relative.substr(0, slash)).c_str(), nullptr);
    }
    std::ofstream(cache + "\\" + relative, std::ios::binary) << content;
    return cache + "\\" + relative;
  }

  std::string root, cache;
};

TEST(Win32Platform, ListsAndScansRealFoldersWithTheExactAccessTime) {
  Scratch s;
  const std::uint64_t access = test::FileTimeOfUtc(2008, 9, 25, 17, 6, 45);
  HANDLE file = CreateFileA(s.Write("A1B2\\photo[1].jpg").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  FILETIME accessed{static_cast<DWORD>(access), static_cast<DWORD>(access >> 32)};
  SetFileTime(file, nullptr, &accessed, nullptr);
  CloseHandle(file);
  s.Write("A1B2\\clip[1].swf");
  CreateDirectoryA((s.cache + "\\A1B2\\sub").c_str(), nullptr);

  auto listing = s.OpenListing(s.cache + "\\A1B2\\*.*");
  ASSERT_TRUE(listing);
  std::map<std::string, DirEntry> seen;
  do seen[std::string(listing->Current().name)] = listing->Current();
  while (listing->Next());
  EXPECT_EQ(seen.size(), 5u);  // ".", "..", the two files, sub
  EXPECT_FALSE(seen["photo[1].jpg"].IsDirectory());
  EXPECT_EQ(seen["photo[1].jpg"].lastAccess / 10'000'000, access / 10'000'000);
  EXPECT_TRUE(seen["sub"].IsDirectory());
  EXPECT_FALSE(s.OpenListing(s.cache + "\\A1B2\\clip[1].swf\\*.*"));
  EXPECT_FALSE(s.OpenListing(s.cache + "\\missing\\*"));

  ScanFilter filter{"JPG", AccessMode::kNoLimit, 0, 0};
  ResultTable table;
  EXPECT_EQ(CacheScan(s, filter, table).ScanFolder(s.cache), 0);
  ASSERT_EQ(table.RowCount(), 1);
  EXPECT_EQ(table.PathOf(0), s.cache + "\\A1B2\\photo[1].jpg");
  MORLIND_USE_ZONE("Asia/Shanghai");
  EXPECT_EQ(table.GetItemText(0, Column::kAccessTime), "2008-9-26 1:6:45");
}

// Made by a fixture script from the Unix side, as Wine cannot make links:
// cache\full and cache\empty link to outside and emptyOutside beside it.
TEST(Win32Clean, LeavesFolderLinksWhatIsBehindThemAndAFileHeldOpen) {
  const char* tree = std::getenv("MORLIND_LINK_TREE");
  ASSERT_TRUE(tree) << "the link tree comes from the CTest fixture";
  const std::string root = tree, cache = root + "\\cache";
  DWORD link = GetFileAttributesA((cache + "\\empty").c_str());
  ASSERT_TRUE(link != INVALID_FILE_ATTRIBUTES && (link & FILE_ATTRIBUTE_REPARSE_POINT));
  for (const char* dir : {"\\A", "\\A\\B", "\\C"}) CreateDirectoryA((cache + dir).c_str(), nullptr);
  for (const char* file : {"\\top.jpg", "\\A\\a.jpg", "\\A\\B\\locked.jpg", "\\C\\c.gif"}) {
    std::ofstream(cache + file) << "x";
  }
  std::ofstream(root + "\\outside\\keep.jpg") << "x";
  HANDLE held =
      CreateFileA((cache + "\\A\\B\\locked.jpg").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);

  Win32Platform platform;
  EXPECT_EQ(DeleteTree(platform, cache), 0);
  CloseHandle(held);
  for (const char* gone : {"\\top.jpg", "\\A\\a.jpg", "\\C"}) EXPECT_FALSE(Exists(cache + gone)) << gone;
  EXPECT_TRUE(Exists(cache + "\\A\\B\\locked.jpg"));
  EXPECT_TRUE(Exists(root + "\\outside\\keep.jpg"));
  EXPECT_TRUE(IsFolder(root + "\\emptyOutside"));
  EXPECT_TRUE(Exists(cache + "\\full") && Exists(cache + "\\empty"));
}

// The copies themselves are checked from outside by the end-to-end test;
// here what only the real system shows.
TEST(Win32Save, CopiesIntoADriveRootAndOffersACodePage936Ending) {
  Scratch s;
  // A name only this run uses, as it goes to the root of C:.
  const std::string unique = "clip-" + std::to_string(GetCurrentProcessId()) + ".swf";
  s.Write(unique, "clip");
  ResultTable table;
  CacheScan(s, ScanFilter{}, table).ScanFolder(s.cache);
  ASSERT_EQ(table.RowCount(), 1);
  table.SetCheck(0, true);
  test::FakeUi ui;
  ui.folderAnswers = {"C:\\"};  // "C:\\\\name": the doubled separator is accepted
  SaveSelected(s, ui, table);
  EXPECT_EQ(Read("C:\\" + unique), "clip");
  DeleteFileA(("C:\\" + unique).c_str());

  table.SetHighlighted(0);
  SaveCurrent(s, ui, table, "\xCD\xBC");  // 图 in code page 936
  EXPECT_EQ(ui.saveRequests.at(0).filter, "保存文件(*.图)|*.图|所有文件(*.*)|*.*||");
}

}  // namespace
}  // namespace morlind
