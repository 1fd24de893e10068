// The order of the deletes and what must never be deleted; links at every
// depth and folders that refuse listing are among the faults of
// ReliabilityTest.cpp.
#include "actions/Clean.h"

#include <gtest/gtest.h>

#include <functional>

#include "tests/FakePlatform.h"
#include "tests/TestClock.h"

namespace morlind {
namespace {

using Paths = std::vector<std::string>;

class CleanTest : public ::testing::Test {
 protected:
  int Clean() { return DeleteTree(fake, "C:\\cache"); }
  FakePlatform fake{test::HostPlatform()};
};

TEST_F(CleanTest, DeletesDepthFirstInDeliveryOrderPastALockedFile) {
  for (const char* file : {"top.jpg", "A\\a.jpg", "A\\B\\locked.jpg", "A\\B\\b.gif", "C\\D\\d.jpg"}) {
    fake.AddFile(std::string("C:\\cache\\") + file);
  }
  fake.LockFile("C:\\cache\\A\\B\\locked.jpg");
  for (const char* notAFolder : {"C:\\cache\\top.jpg", "C:\\missing"}) EXPECT_EQ(DeleteTree(fake, notAFolder), 1);

  EXPECT_EQ(Clean(), 0);
  // Delivery order, each folder emptied before its removal is tried.
  EXPECT_EQ(fake.Log(), (Paths{"delete C:\\cache\\top.jpg", "delete C:\\cache\\A\\a.jpg",
                               "delete C:\\cache\\A\\B\\b.gif", "delete C:\\cache\\C\\D\\d.jpg",
                               "delete C:\\cache\\C\\D", "delete C:\\cache\\C"}));
  EXPECT_EQ(fake.Tree("C:\\cache"), (Paths{"C:\\cache\\A\\", "C:\\cache\\A\\B\\", "C:\\cache\\A\\B\\locked.jpg"}));
}

// A real folder Ðata beside a link Data, which a best-fit mapping would
// confuse; file links as Wine shows them (plain files) to outside and to
// inside; a cache reached through a link itself.
TEST_F(CleanTest, DeletesOnlyWhatReallyLiesInsideTheCache) {
  fake.AddFile("C:\\MyDocs\\letter.doc", 0, "letter");
  fake.AddFile("C:\\real\\Ðata\\a.jpg");
  fake.AddLink("C:\\real\\Data", "C:\\MyDocs");
  fake.AddFileLink("C:\\real\\innocent.jpg", "C:\\MyDocs\\letter.doc");
  fake.AddFile("C:\\real\\한국\\😀.jpg");
  fake.AddFileLink("C:\\real\\한국\\alias.jpg", "C:\\real\\한국\\😀.jpg");
  fake.AddLink("C:\\cache", "C:\\real");

  EXPECT_EQ(Clean(), 0);
  // A link to a file inside goes with its target, as under Wine; the
  // dangling link is left.
  EXPECT_EQ(fake.Tree("C:\\real"),
            (Paths{"C:\\real\\Data\\", "C:\\real\\innocent.jpg", "C:\\real\\한국\\", "C:\\real\\한국\\alias.jpg"}));
  EXPECT_EQ(fake.Tree("C:\\MyDocs"), Paths{"C:\\MyDocs\\letter.doc"});
  EXPECT_EQ(fake.ContentOf("C:\\MyDocs\\letter.doc"), "letter");
}

TEST(CacheShape, OnlyTheNamesACacheHoldsAtItsTopLevel) {
  const std::tuple<const char*, bool, bool> names[] = {
      {"Content.IE5", true, true}, {"content.ie5", true, true}, {"IE", true, true},       {"Low", true, true},
      {"Virtualized", true, true}, {"AB12cd34", true, true},    {"index.dat", false, true},
      {"Container.dat", false, true}, {"desktop.ini", false, true}, {"AB12CD3", true, false},
      {"AB12CD345", true, false},  {"AB12-D34", true, false},   {"AB12CD34", false, false},
      {"index.dat", true, false},  {"IE", false, false},        {"letter.doc", false, false}, {"Ĳ12CD34", true, false},
      {"A0B9c0d9", true, true}};
  for (auto [name, isFolder, shaped] : names) EXPECT_EQ(IsCacheShaped(name, isFolder), shaped) << name << isFolder;
}

// Each cache setting on a fresh machine: the user's folders, the system's,
// a drive's root (also through a link), a folder holding one of them, and
// outside the default place anything a cache does not hold.
TEST(CleanRefusal, RefusesEveryFolderThatIsNoCacheAndNamesIt) {
  const std::string local = "C:\\Users\\me\\AppData\\Local", inetCache = local + "\\Microsoft\\Windows\\INetCache";
  auto machine = [&](FakePlatform& fs) {
    fs.knownFolders = {{KnownFolder::kProfile, "C:\\Users\\me"},
                       {KnownFolder::kDocuments, "C:\\Users\\me\\Documents"},
                       {KnownFolder::kLocalAppData, local},
                       {KnownFolder::kMusic, "C:\\Users\\me\\Music"},  // a link to E:\\Music
                       {KnownFolder::kWindows, "C:\\Windows"}};
    for (const auto& [known, path] : fs.knownFolders) fs.AddFolder(path);
    fs.AddFile("C:\\Users\\me\\Documents\\letter.doc");
    fs.AddFile("E:\\Music\\song.mp3");
    fs.AddLink("C:\\Users\\me\\Music", "E:\\Music");
    fs.AddFile(inetCache + "\\Content.IE5\\AB12CD34\\a.jpg");
    fs.AddFile(inetCache + "\\stray.txt");
    for (const char* name : {"Content.IE5\\index.dat", "AB12CD34\\b.jpg", "WXYZ0189\\", "Low\\", "IE\\", "Virtualized\\",
                             "index.dat", "container.dat", "desktop.ini"}) {
      std::string path = std::string("D:\\cache\\") + name;
      path.back() == '\\' ? fs.AddFolder(path) : fs.AddFile(path);
    }
    fs.AddFile("D:\\other\\x.jpg");
    fs.AddLink("C:\\drop", "D:\\");
    fs.AddLink("C:\\mydocs", "C:\\Users\\me\\Documents");
  };
  const std::tuple<std::string, std::function<void(FakePlatform&)>, bool> cases[] = {
      {inetCache, {}, false},  // the default place may hold anything
      {"D:\\cache", {}, false},
      {"D:\\empty", [](FakePlatform& fs) { fs.AddFolder("D:\\empty"); }, false},
      {"C:\\Users\\me\\Documents", {}, true},
      {"C:\\mydocs", {}, true},
      {"C:\\USERS\\ME\\documents", {}, true},
      {"E:\\Music", {}, true},
      {"C:\\Users\\me", {}, true},
      {"C:\\Users", {}, true},
      {"C:\\Windows", {}, true},
      {"C:\\", {}, true},
      {"C:\\drop", {}, true},
      {"F:\\", [](FakePlatform& fs) { fs.AddFolder("F:\\Content.IE5"); }, true},  // a root, if cache-shaped
      {"\\\\server\\share", [](FakePlatform& fs) { fs.AddFolder("\\\\server\\share\\Content.IE5"); }, true},
      {"\\\\server\\share\\cache", [](FakePlatform& fs) { fs.AddFolder("\\\\server\\share\\cache\\IE"); }, false},
      {local + "\\Microsoft\\Windows", {}, true},
      {"D:\\other", {}, true},
      {"D:\\cache", [](FakePlatform& fs) { fs.AddFile("D:\\cache\\letter.doc"); }, true},
      {"D:\\cache", [](FakePlatform& fs) { fs.AddFile("D:\\cache\\ABCDEFGH"); }, true},
      {"D:\\cache", [](FakePlatform& fs) { fs.RefuseListing("D:\\cache"); }, true},
      {"D:\\missing", {}, true},
  };
  for (const auto& [folder, change, refused] : cases) {
    FakePlatform fs{test::HostPlatform()};
    machine(fs);
    if (change) change(fs);
    std::optional<std::string> refusal = CleanRefusal(fs, folder);
    EXPECT_EQ(refusal, refused ? std::optional(kNotACacheText + folder) : std::nullopt) << folder;
    EXPECT_TRUE(fs.Log().empty());
  }
  EXPECT_EQ(std::string(kNotACacheText) + "C:\\", "此文件夹不是IE缓存文件夹，没有清理：C:\\");
}

// Whatever opens at an entry's name but is not the entry itself stays: a
// file of another case where the listed one went, links to files and
// folders inside, a folder reached through a link.
TEST_F(CleanTest, AnEntryGoesOnlyWhenItsRealLocationIsItsOwnPath) {
  fake.AddFile("C:\\real\\keep\\kept.jpg", 0, "kept");
  fake.AddFile("C:\\real\\keep\\b.jpg", 0, "b");
  fake.AddFileLink("C:\\real\\a.jpg", "C:\\real\\keep\\kept.jpg");
  fake.AddLink("C:\\real\\L", "C:\\real\\keep");
  fake.AddFile("C:\\real\\x.jpg");
  fake.AddLink("C:\\cache", "C:\\real");
  InsideDeleter inside(fake, "C:\\cache");
  EXPECT_EQ(inside.Delete("C:\\cache\\a.jpg"), kErrorAccessDenied);
  EXPECT_EQ(inside.Delete("C:\\cache\\L\\b.jpg"), kErrorAccessDenied);
  EXPECT_EQ(inside.Delete("C:\\cache\\KEEP\\b.jpg"), kErrorAccessDenied);
  EXPECT_EQ(inside.Delete("C:\\cache\\X.JPG"), kErrorAccessDenied);
  EXPECT_EQ(inside.Delete("C:\\real\\x.jpg"), kErrorAccessDenied);  // not by the root's name
  EXPECT_EQ(inside.Delete("x.jpg"), kErrorAccessDenied);
  EXPECT_TRUE(fake.Log().empty());
  EXPECT_EQ(inside.Delete("C:\\cache\\keep\\b.jpg"), 0u);
  EXPECT_EQ(inside.Delete("C:\\cache\\x.jpg"), 0u);
  EXPECT_EQ(fake.Log(), (Paths{"delete C:\\real\\keep\\b.jpg", "delete C:\\real\\x.jpg"}));

  fake.AddFile("C:\\real\\Y.JPG", 0, "twin");  // another case beside a listed y.jpg that went
  EXPECT_EQ(inside.Delete("C:\\cache\\y.jpg"), kErrorAccessDenied);
  EXPECT_EQ(fake.ContentOf("C:\\real\\Y.JPG"), "twin");
}

}  // namespace
}  // namespace morlind
