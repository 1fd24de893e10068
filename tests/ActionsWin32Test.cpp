// The file layer on real folders of the prefix, where the real system may
// differ from the fake file system: links made from the Unix side, names
// the ANSI code page cannot write, paths past 260 characters. The dialogs,
// the program as a whole and a copy stopped part-way are met by the
// end-to-end test.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "actions/Clean.h"
#include "actions/Save.h"
#include "platform/Win32Platform.h"
#include "platform/WideText.h"
#include "platform/Paths.h"

namespace morlind {
namespace {

namespace fs = std::filesystem;

bool Exists(const std::string& path) { return GetFileAttributesW(SystemPath(path).c_str()) != INVALID_FILE_ATTRIBUTES; }
std::string Read(const std::string& path) {
  std::ifstream in(fs::path(SystemPath(path)), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}
void Write(const std::string& path, const std::string& content) {
  fs::create_directories(fs::path(SystemPath(path)).parent_path());
  std::ofstream(fs::path(SystemPath(path)), std::ios::binary) << content;
}

// Made by a fixture script from the Unix side: cache\Data and cache\empty
// link to folders outside, cache\innocent.jpg to precious.doc outside, and
// cache\Ðata is a real folder.
class Win32Files : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* tree = std::getenv("MORLIND_LINK_TREE");
    ASSERT_TRUE(tree) << "the link tree comes from the CTest fixture";
    root = tree;
    cache = root + "\\cache";
  }
  std::string root, cache;
  Win32Platform platform;
};

TEST_F(Win32Files, TheCleanDeletesWhatLiesInsideAndNothingBehindALink) {
  const std::string deep = cache + "\\" + std::string(120, 'd') + "\\" + std::string(120, 'e') + "\\长路径.jpg";
  ASSERT_GT(Utf8ToWide(deep).size(), 260u);
  for (const std::string& file : {cache + "\\Ðata\\a.jpg", cache + "\\한국\\😀.jpg", cache + "\\Yes.jpg",
                                  cache + "\\Ýes.jpg", cache + "\\A\\B\\locked.jpg", deep}) {
    Write(file, "x");
  }
  Write(root + "\\outside\\keep.jpg", "keep");
  // The ANSI walk saw Ðata as Data and went through the link.
  DWORD link = GetFileAttributesW(SystemPath(cache + "\\Data").c_str());
  ASSERT_TRUE(link != INVALID_FILE_ATTRIBUTES && (link & FILE_ATTRIBUTE_REPARSE_POINT));
  HANDLE held = CreateFileW(SystemPath(cache + "\\A\\B\\locked.jpg").c_str(), GENERIC_READ, 0, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);

  EXPECT_EQ(DeleteTree(platform, cache), 0);
  CloseHandle(held);
  for (const std::string& gone : {cache + "\\Ðata", cache + "\\한국", cache + "\\Yes.jpg", cache + "\\Ýes.jpg",
                                  cache + "\\" + std::string(120, 'd')}) {
    EXPECT_FALSE(Exists(gone)) << gone;
  }
  EXPECT_TRUE(Exists(cache + "\\A\\B\\locked.jpg"));
  EXPECT_EQ(Read(root + "\\outside\\keep.jpg"), "keep");
  EXPECT_EQ(Read(root + "\\precious.doc"), "precious\n");
  EXPECT_TRUE(Exists(root + "\\emptyOutside"));
  const std::string deepLink = "\\" + std::string(120, 'l') + "\\" + std::string(150, 'm') + "\\innocent.jpg";
  for (std::string link : {"\\Data", "\\empty", "\\innocent.jpg", deepLink.c_str()}) {
    EXPECT_TRUE(Exists(cache + link)) << link;
  }
}

// Copies from and to paths past 260 characters, into a drive root, and a
// failure in the system's words.
TEST_F(Win32Files, CopiesReachEveryPathAndSayWhyOneFailed) {
  const std::string source = cache + "\\" + std::string(150, 's') + "\\" + std::string(150, 't') + "\\ñandú.jpg";
  Write(source, "nandu");
  const std::string name = "copy-" + std::to_string(GetCurrentProcessId()) + "-ñandú.jpg";
  const std::string deepTarget = root + "\\" + std::string(200, 'o') + "\\" + std::string(100, 'p');
  fs::create_directories(fs::path(SystemPath(deepTarget)));
  const CopyPlan plan{{source, JoinPath(deepTarget, name)}, {source, JoinPath("C:\\", name)},
                      {source, root + "\\missing\\x.jpg"}, {cache + "\\gone.jpg", root + "\\y.jpg"}};
  CopyReport report = CopyFiles(platform, plan);
  EXPECT_EQ(report.copied, 2);
  EXPECT_EQ(report.failed, 1);  // a source gone is no failure
  EXPECT_EQ(Read(JoinPath(deepTarget, name)), "nandu");
  EXPECT_EQ(Read("C:\\" + name), "nandu");
  std::optional<std::string> text = CopyFailureText(platform, report);
  ASSERT_TRUE(text);
  EXPECT_EQ(text->rfind("有 1 个文件没有保存：", 0), 0u) << *text;
  EXPECT_GT(text->size(), std::string("有 1 个文件没有保存：").size() + 3) << "no words from the system";
  DeleteFileW(SystemPath("C:\\" + name).c_str());
}

}  // namespace
}  // namespace morlind
