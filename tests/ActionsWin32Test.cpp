// The actions on real folders of the prefix, where the real system may
// differ from the fake file system: folder links and a doubled separator.
// Listing and scanning real folders, the real dialogs and the copies are
// met by the end-to-end test; the time conversions are those of
// core_tests' host platform under Wine.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <fstream>

#include "actions/Clean.h"
#include "actions/Save.h"
#include "platform/Win32Platform.h"
#include "search/ResultTable.h"
#include "tests/FakeUi.h"

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
// here what only the real system shows: a folder chooser's drive root
// gives a doubled separator, which the system accepts.
TEST(Win32Save, CopiesIntoADriveRoot) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  // A name only this run uses, as it goes to the root of C:.
  const std::string name = "clip-" + std::to_string(GetCurrentProcessId()) + ".swf";
  const std::string source = temp + name;
  std::ofstream(source, std::ios::binary) << "clip";
  ResultTable table;
  table.AddResultRow(source, name.size(), 0);
  table.SetCheck(0, true);
  test::FakeUi ui;
  ui.folderAnswers = {"C:\\"};
  Win32Platform platform;
  SaveSelected(platform, ui, table);
  EXPECT_EQ(Read("C:\\" + name), "clip");
  for (const std::string& copy : {source, "C:\\" + name}) DeleteFileA(copy.c_str());
}

}  // namespace
}  // namespace morlind
