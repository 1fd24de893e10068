// The actions and the real dialogs under Win32, on real folders.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <thread>

#include "actions/Clean.h"
#include "actions/Save.h"
#include "platform/Win32Platform.h"
#include "search/Search.h"
#include "tests/FakeUi.h"
#include "ui/Win32UiServices.h"

namespace morlind {
namespace {

// Made by a fixture script from the Unix side: cache\full and cache\empty
// are symbolic links to outside and emptyOutside beside the cache.
std::string LinkTree() {
  const char* tree = std::getenv("MORLIND_LINK_TREE");
  return tree ? tree : "";
}

bool IsFolder(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}
bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void Write(const std::string& path, const std::string& content = "x") {
  std::ofstream(path, std::ios::binary) << content;
}
std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The internet cache moved to a scratch folder of the test.
class ScratchPlatform : public Win32Platform {
 public:
  ScratchPlatform() {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    root = std::string(temp) + "morlind-actions-" + std::to_string(GetCurrentProcessId());
    cache = root + "\\cache";
    for (const std::string& dir : {root, cache}) CreateDirectoryA(dir.c_str(), nullptr);
  }
  ~ScratchPlatform() override {
    DeleteTree(*this, root);
    RemoveEmptyFolder(root);
  }
  std::optional<std::string> SpecialFolderPath(int) override { return cache; }

  std::string root, cache;
};

TEST(Win32Clean, KeepsAFileHeldOpenAndTheFoldersAboveIt) {
  ScratchPlatform platform;
  const std::string& c = platform.cache;
  for (const char* dir : {"\\A", "\\A\\B", "\\C", "\\C\\D"}) {
    CreateDirectoryA((c + dir).c_str(), nullptr);
  }
  for (const char* file :
       {"\\top.jpg", "\\A\\a.jpg", "\\A\\B\\b.gif", "\\A\\B\\locked.jpg", "\\C\\D\\d.jpg"}) {
    Write(c + file);
  }
  HANDLE held = CreateFileA((c + "\\A\\B\\locked.jpg").c_str(), GENERIC_READ, 0, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);

  EXPECT_EQ(CleanSpecialFolder(platform, kInternetCacheFolder), 0);
  Moment now = platform.Now();
  SearchInput input{now - 60, now - 60, now, now, std::string("*"), ""};
  SearchCriteria criteria;
  ResultTable table;
  EXPECT_EQ(RunSearch(platform, input, criteria, table), SearchOutcome::kDone);
  CloseHandle(held);

  ASSERT_EQ(table.RowCount(), 1);
  EXPECT_EQ(table.PathOf(0), c + "\\A\\B\\locked.jpg");
  EXPECT_TRUE(IsFolder(c + "\\A\\B"));
  for (const char* gone : {"\\top.jpg", "\\A\\a.jpg", "\\A\\B\\b.gif", "\\C"}) {
    EXPECT_FALSE(Exists(c + gone)) << gone;
  }
}

TEST(Win32Clean, NeverTouchesWhatIsBehindAFolderLink) {
  const std::string tree = LinkTree();
  ASSERT_FALSE(tree.empty()) << "the link tree comes from the CTest fixture";
  const std::string cache = tree + "\\cache";
  for (const char* target : {"\\outside", "\\emptyOutside"}) {
    CreateDirectoryA((tree + target).c_str(), nullptr);
  }
  DWORD link = GetFileAttributesA((cache + "\\empty").c_str());
  ASSERT_TRUE(link != INVALID_FILE_ATTRIBUTES && (link & FILE_ATTRIBUTE_REPARSE_POINT));
  Write(tree + "\\outside\\keep.jpg");
  CreateDirectoryA((cache + "\\A").c_str(), nullptr);
  Write(cache + "\\A\\a.jpg");

  Win32Platform platform;
  EXPECT_EQ(DeleteTree(platform, cache), 0);
  EXPECT_FALSE(Exists(cache + "\\A"));
  EXPECT_TRUE(Exists(tree + "\\outside\\keep.jpg"));
  EXPECT_TRUE(IsFolder(tree + "\\emptyOutside"));
  EXPECT_TRUE(Exists(cache + "\\full") && Exists(cache + "\\empty"));
}

TEST(Win32Save, CopiesTheFilesWithTheirContents) {
  ScratchPlatform platform;
  const std::string& c = platform.cache;
  const std::string out = platform.root + "\\out";
  CreateDirectoryA((c + "\\sub").c_str(), nullptr);
  CreateDirectoryA(out.c_str(), nullptr);
  // A name only this run uses, as it also goes to the root of C:.
  const std::string unique = "clip-" + std::to_string(GetCurrentProcessId()) + ".swf";
  Write(c + "\\" + unique, "clip");
  Write(c + "\\photo[1].jpg", "first");
  Write(c + "\\sub\\photo[1].jpg", "second");

  ResultTable table;
  CacheScan(platform, ScanFilter{}, table).ScanFolder(c);
  ASSERT_EQ(table.RowCount(), 3);
  table.SetAllChecks(true);
  test::FakeUi ui;
  ui.folderAnswers = {out, "C:\\"};
  SaveSelected(platform, ui, table);
  EXPECT_EQ(Read(out + "\\" + unique), "clip");
  EXPECT_EQ(Read(out + "\\photo[1].jpg"), "second");  // the later row wins

  table.SetAllChecks(false);
  for (int row = 0; row < 3; ++row) {
    table.SetCheck(row, table.GetItemText(row, Column::kName) == unique);
  }
  SaveSelected(platform, ui, table);
  EXPECT_EQ(Read("C:\\" + unique), "clip");
  DeleteFileA(("C:\\" + unique).c_str());

  for (int row = 0; row < 3; ++row) {
    if (table.PathOf(row) == c + "\\photo[1].jpg") table.SetSelected(row);
  }
  ui.savePathAnswers = {out + "\\photo.*"};
  SaveCurrent(platform, ui, table, "\xCD\xBC");  // 图 in code page 936
  EXPECT_EQ(ui.saveRequests.at(0).filter, "保存文件(*.图)|*.图|所有文件(*.*)|*.*||");
  EXPECT_EQ(Read(out + "\\photo"), "first");
}

// A dialog box of this process; others may show theirs on the same desktop.
BOOL CALLBACK TakeOwnDialog(HWND window, LPARAM result) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  wchar_t kind[16] = {};
  GetClassNameW(window, kind, 16);
  if (process != GetCurrentProcessId() || !IsWindowVisible(window) ||
      std::wstring(kind) != L"#32770") {
    return TRUE;
  }
  *reinterpret_cast<HWND*>(result) = window;
  return FALSE;
}

HWND FindOwnDialog() {
  HWND found = nullptr;
  EnumWindows(TakeOwnDialog, reinterpret_cast<LPARAM>(&found));
  return found;
}

TEST(Win32UiServices, SaveAsDialogOffersTheTwoFiltersAndGivesAnAnsiPath) {
  ScratchPlatform platform;
  Win32UiServices ui;
  EXPECT_EQ(ui.Caption(), L"actions_win32_tests");

  std::vector<std::wstring> filters;
  const std::string typed = platform.root + "\\\xCD\xBC";  // 图, typed without an ending
  // The user, from another thread: looks at the types, types a name, presses OK.
  std::thread user([&] {
    HWND box = nullptr;
    for (int i = 0; i < 1000 && !(box = FindOwnDialog()); ++i) Sleep(20);
    Sleep(200);  // let the dialog finish setting itself up
    HWND types = GetDlgItem(box, 0x470);
    for (LRESULT i = 0; i < SendMessageW(types, CB_GETCOUNT, 0, 0); ++i) {
      wchar_t text[100] = {};
      SendMessageW(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
      filters.push_back(text);
    }
    for (int field : {0x47c, 0x480}) SetDlgItemTextA(box, field, typed.c_str());
    PostMessageW(box, WM_COMMAND, IDOK, 0);
  });
  std::optional<std::string> chosen = ui.ChooseSavePath(
      {SaveFilter("jpg"), "jpg", "photo[1].jpg", kOfnHideReadOnly | kOfnOverwritePrompt});
  user.join();
  EXPECT_EQ(filters, (std::vector<std::wstring>{L"保存文件(*.jpg)", L"所有文件(*.*)"}));
  EXPECT_EQ(chosen, typed + ".jpg");
}

}  // namespace
}  // namespace morlind
