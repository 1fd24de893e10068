// Faults and bad input on the fake file system: what the user sees, and
// that nothing outside the cache and the chosen folder changes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>

#include "actions/Clean.h"
#include "actions/Save.h"
#include "platform/Utf8.h"
#include "tests/FakePlatform.h"
#include "search/Search.h"
#include "tests/FakeUi.h"
#include "tests/TestClock.h"

namespace morlind {
namespace {

using Paths = std::vector<std::string>;

const std::string kCache = "C:\\cache";
const std::string kTarget = "D:\\out";
const std::string kSentinel = "C:\\keep";
const std::uint64_t kAccess = test::FileTimeOfUtc(2008, 9, 25, 17, 6, 45);

// The program around one cache: a folder to copy into, and a sentinel tree
// beside both that no operation may touch. It runs the operations as the
// dialog does. When it goes out of scope it checks that no message was
// shown, every deletion stayed in the cache,
// every copy went from the cache into the target, and the sentinel is the
// same byte for byte.
struct World {
  World() {
    fake.SetSpecialFolder(kInternetCacheFolder, kCache);
    fake.AddFolder(kCache);
    fake.AddFile(kTarget + "\\old.jpg", kAccess, "there before");
    fake.AddFile(kSentinel + "\\a.jpg", kAccess, "sentinel a");
    fake.AddFile(kSentinel + "\\sub\\b.jpg", kAccess, "sentinel b");
    fake.AddFolder(kSentinel + "\\empty");
    sentinel = Snapshot(kSentinel);
  }

  ~World() {
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(Snapshot(kSentinel), sentinel);
    for (const std::string& call : fake.Log()) {
      std::size_t arrow = call.find(" -> ");
      bool inside = arrow == std::string::npos
                        ? call.substr(call.find(' ') + 1).starts_with(kCache + "\\")
                        : call.starts_with("copy " + kCache + "\\") &&
                              call.substr(arrow + 4).starts_with(kTarget + "\\");
      EXPECT_TRUE(inside) << call;
    }
  }

  // Paths and contents below root, in listing order.
  Paths Snapshot(const std::string& root) const {
    Paths lines;
    for (const std::string& path : fake.Tree(root)) {
      lines.push_back(path + "=" + fake.ContentOf(path).value_or("<folder>"));
    }
    return lines;
  }

  // Presses 搜索 with text typed into the combo box; the table's names.
  Paths Search(const std::string& typed) {
    Moment now = fake.Now();
    SearchInput input{now - 3600, now - 3600, now, now, std::nullopt, typed};
    EXPECT_EQ(PrepareSearch(fake, input, criteria, table), SearchOutcome::kReady);
    ScanCache(fake, criteria, table);
    Paths names;
    for (int row = 0; row < table.RowCount(); ++row) {
      names.push_back(table.GetItemText(row, Column::kName));
      EXPECT_TRUE(table.PathOf(row).starts_with(kCache + "\\")) << table.PathOf(row);
    }
    return names;
  }

  // 清理IE缓存: the clean and the search after it.
  Paths Clean() {
    EXPECT_EQ(DeleteTree(fake, *GetCacheFolder(fake)), 0);
    return Search(criteria.extension);
  }

  // Ticks every row and presses 保存选中, picking folder.
  CopyReport SaveAll(const std::string& folder = kTarget) {
    table.SetAllTicks(true);
    ui.folderAnswers = {folder};
    return CopyFiles(fake, *PlanSaveSelected(ui, table));
  }

  FakePlatform fake{test::HostPlatform()};
  test::FakeUi ui;
  SearchCriteria criteria;
  ResultTable table;
  Paths sentinel;
};

TEST(Reliability, ListingsThatBreakOffLoseOnlyWhatTheyDidNotDeliver) {
  // The cache lists A (a0, a1, a2) and then top.jpg; one of the two breaks
  // off after some entries. The clean deletes what it was shown, and A too
  // once it was emptied: `left` entries stay.
  const std::string a = kCache + "\\A";
  const struct {
    std::string folder;
    std::size_t delivered;
    Paths seen;
    std::size_t left;
  } cases[] = {{a, 0, {"top.jpg"}, 4},
               {a, 1, {"a0.jpg", "top.jpg"}, 3},
               {a, 2, {"a0.jpg", "a1.jpg", "top.jpg"}, 2},
               {a, 3, {"a0.jpg", "a1.jpg", "a2.jpg", "top.jpg"}, 0},
               {kCache, 0, {}, 5},
               {kCache, 1, {"a0.jpg", "a1.jpg", "a2.jpg"}, 1},
               {kCache, 2, {"a0.jpg", "a1.jpg", "a2.jpg", "top.jpg"}, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.folder + " after " + std::to_string(c.delivered));
    World w;
    for (const char* name : {"A\\a0.jpg", "A\\a1.jpg", "A\\a2.jpg", "top.jpg"}) {
      w.fake.AddFile(kCache + "\\" + name, kAccess, name);
    }
    w.fake.BreakListingAfter(c.folder, c.delivered);
    EXPECT_EQ(w.Search("*"), c.seen);
    w.Clean();
    EXPECT_EQ(w.fake.Tree(kCache).size(), c.left);
  }
}

// Entries that vanish between the listing and their use, a folder that
// refuses listing, a folder and a file that cannot be removed.
TEST(Reliability, VanishedRefusedAndLockedEntriesAreSkippedQuietly) {
  World w;
  for (const char* file : {"gone.jpg\\inner.jpg", "gone2.jpg", "x.jpg\\hidden.jpg", "L\\l.jpg", "A\\B\\locked.jpg",
                           "A\\B\\b.jpg", "A\\a.jpg", "top.jpg"}) {
    w.fake.AddFile(kCache + "\\" + file, kAccess, file);
  }
  w.fake.VanishWhenListed(kCache + "\\gone.jpg");  // a folder
  w.fake.VanishWhenListed(kCache + "\\gone2.jpg");
  w.fake.RefuseListing(kCache + "\\x.jpg");
  w.fake.LockFolder(kCache + "\\L");
  w.fake.LockFile(kCache + "\\A\\B\\locked.jpg");

  // Folders that cannot be listed are tested as files.
  EXPECT_EQ(w.Search("jpg"),
            (Paths{"gone.jpg", "gone2.jpg", "x.jpg", "l.jpg", "locked.jpg", "b.jpg", "a.jpg", "top.jpg"}));
  EXPECT_EQ(w.Clean(), (Paths{"x.jpg", "locked.jpg"}));
  EXPECT_EQ(w.fake.Tree(kCache),
            (Paths{kCache + "\\x.jpg\\", kCache + "\\x.jpg\\hidden.jpg", kCache + "\\L\\",
                   kCache + "\\A\\", kCache + "\\A\\B\\", kCache + "\\A\\B\\locked.jpg"}));
}

// A source gone is skipped quietly; other failures are counted for the
// message after the save.
TEST(Reliability, FailedCopiesAreCountedAndChangeNothingElse) {
  // a.jpg holds 4 bytes, b.jpg 8, c.jpg 2.
  const struct {
    const char* fault;
    std::function<void(FakePlatform&)> inject;
    Paths target;
    int failed;
  } cases[] = {
      {"source gone", [](FakePlatform& f) { f.OpenForDelete(kCache + "\\b.jpg")->Delete(); },
       {"old.jpg", "a.jpg", "c.jpg"}, 0},
      {"target not writable", [](FakePlatform& f) { f.RefuseWrites(kTarget); }, {"old.jpg"}, 3},
      {"disk full after 7 bytes", [](FakePlatform& f) { f.SetCopyQuota(7); }, {"old.jpg", "a.jpg", "c.jpg"}, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fault);
    World w;
    w.fake.AddFile(kCache + "\\a.jpg", kAccess, "aaaa");
    w.fake.AddFile(kCache + "\\b.jpg", kAccess, "bbbbbbbb");
    w.fake.AddFile(kCache + "\\c.jpg", kAccess, "cc");
    w.Search("*");
    c.inject(w.fake);
    EXPECT_EQ(w.SaveAll().failed, c.failed);
    Paths target;
    for (const std::string& path : w.fake.Tree(kTarget)) target.push_back(path.substr(kTarget.size() + 1));
    EXPECT_EQ(target, c.target);
  }
}

TEST(Reliability, FolderLinksAtEveryDepthAreNeitherFollowedNorRemoved) {
  World w;
  // Each depth has a link up the tree and one out of it (the sentinel, an
  // empty folder outside, the target of the copies).
  const std::pair<const char*, std::string> links[] = {
      {"\\L1", kSentinel},           {"\\up0", kCache},
      {"\\A\\L2", kSentinel + "\\sub"}, {"\\A\\up1", kCache}, {"\\A\\drive", "C:"},
      {"\\A\\B\\L3", kTarget},       {"\\A\\B\\up2", kCache + "\\A"},
      {"\\A\\B\\empty", kSentinel + "\\empty"}};
  for (const auto& [path, target] : links) w.fake.AddLink(kCache + path, target);
  for (const char* path : {"\\own0.jpg", "\\A\\own1.jpg", "\\A\\B\\own2.jpg"}) {
    w.fake.AddFile(kCache + path, kAccess, path);
  }

  // A walk that followed the links would never end: cut it off early.
  w.fake.beforeListing = [&w](const std::string&) { return w.fake.ListingsOpened() <= 50; };
  EXPECT_EQ(w.Search("*"), (Paths{"own2.jpg", "own1.jpg", "own0.jpg"}));  // pre-order
  EXPECT_EQ(w.fake.ListingsOpened(), 3);  // the cache, A and B

  EXPECT_TRUE(w.Clean().empty());
  Paths left = w.fake.Tree(kCache);
  EXPECT_EQ(left.size(), std::size(links) + 2);  // the links, A and B
  for (const auto& [path, target] : links) {
    EXPECT_NE(std::find(left.begin(), left.end(), kCache + path + "\\"), left.end()) << path;
  }
}

// Names a Windows file system can hold, as UTF-8: every character
// U+0020-U+00FF but \\ / : * ? " < > |, at the start and the end (the ones
// a best-fit mapping turns into letters among them, beside those letters),
// names in other scripts, emoji and a lone surrogate, names ending in dots
// and spaces.
Paths OddNames() {
  Paths names;
  const std::string forbidden = "\\/:*?\"<>|";
  for (char32_t c = 0x20; c <= 0xFF; ++c) {
    if (c < 0x80 && forbidden.find(static_cast<char>(c)) != std::string::npos) continue;
    std::string character = Utf8OfUtf16(std::u16string(1, static_cast<char16_t>(c)));
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned>(c));
    names.push_back(character + hex + character);
  }
  for (const char* name : {"a.", "a..", "a ", "a. ", "a .", "...", " ", "图片.jpg", "图.片", "표.JPG", "Ðata", "Data",
                           "Yes.jpg", "Ýes.jpg", "ñandú.jpg", "한국.jpg", "😀.jpg", "\xED\xA0\x80.jpg"}) {
    names.emplace_back(name);
  }
  return names;
}

TEST(Reliability, NamesOfEveryByteClassAndExtensionTextOfAnyShape) {
  World w;
  const Paths names = OddNames();
  for (const std::string& name : names) w.fake.AddFile(kCache + "\\" + name, kAccess, name);

  EXPECT_EQ(w.Search("*"), names);
  for (int row = 0; row < w.table.RowCount(); ++row) {
    const std::string& name = names[static_cast<std::size_t>(row)];
    std::size_t dot = name.rfind('.');
    EXPECT_EQ(w.table.GetItemText(row, Column::kType), dot == std::string::npos ? "" : name.substr(dot + 1));
    EXPECT_EQ(w.table.PathOf(row), kCache + "\\" + name);
  }
  w.SaveAll();
  for (const std::string& name : names) EXPECT_EQ(w.fake.ContentOf(kTarget + "\\" + name), name);

  // Text of Chinese and other characters at even and at odd offsets, typed
  // up to every character: the rows are the names ending in what is kept.
  const std::string mixed = "图jÐpG.표a😀片b c";
  Paths typed;
  for (const std::string& text : {mixed + mixed, "x" + mixed + mixed}) {
    for (std::size_t end = 0; end <= 24 && end <= text.size(); end += Utf8SequenceLength(static_cast<unsigned char>(text[end]))) {
      typed.push_back(text.substr(0, end));
    }
  }
  for (const char* odd : {"*", "..", "jpg", "JPG", "ES.JPG", "ata"}) typed.emplace_back(odd);

  auto fold = [](std::string text) {
    for (char& c : text) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return text;
  };
  for (const std::string& text : typed) {
    SCOPED_TRACE(testing::PrintToString(text));
    w.criteria.extension.clear();  // else empty text keeps the last one
    Paths rows = w.Search(text);
    const std::string& cut = w.criteria.extension;
    Paths expected;
    for (const std::string& name : names) {
      if (cut == "*" || (name.size() >= cut.size() &&
                          fold(name.substr(name.size() - cut.size())) == fold(cut))) {
        expected.push_back(name);
      }
    }
    EXPECT_EQ(rows, expected);
  }
  EXPECT_EQ(w.Search("."), (Paths{".2E.", "a.", "a..", "a .", "..."}));
  EXPECT_EQ(w.Search("ES.JPG"), (Paths{"Yes.jpg", "Ýes.jpg"}));
  EXPECT_TRUE(w.Search("*.*").empty() && w.Search("\\").empty());
  EXPECT_TRUE(w.Clean().empty());
  EXPECT_TRUE(w.fake.Tree(kCache).empty());
}

Paths Sorted(Paths paths) { std::ranges::sort(paths); return paths; }

// Paths of 255 to 270 characters and far longer, and a chain of 130
// folders: listed, copied and cleaned like any other.
TEST(Reliability, PathsOfAnyLengthAreListedSavedAndCleaned) {
  World w;
  Paths listed;
  auto add = [&](const std::string& path) {
    w.fake.AddFile(path, kAccess, path.substr(path.rfind('\\') + 1));
    listed.push_back(path);
  };
  const std::string dir = kCache + "\\" + std::string(200, 'd');  // 209 bytes
  for (std::size_t length = 255; length <= 270; ++length) {
    add(dir + "\\" + std::string(length - dir.size() - 1, 'f'));
    add(kCache + "\\" + std::string(length - kCache.size() - 1, 'g') + "\\x" + std::to_string(length));
  }
  add(dir + "\\" + std::string(240, 'e') + "\\" + std::string(240, 'e') + "\\长.jpg");
  std::string chain = kCache;
  for (int depth = 1; depth <= 130; ++depth) {
    chain += "\\c";
    add(chain + "\\f" + std::to_string(depth));
  }
  w.Search("*");
  Paths paths;
  for (int row = 0; row < w.table.RowCount(); ++row) paths.push_back(w.table.PathOf(row));
  EXPECT_EQ(Sorted(paths), Sorted(listed));

  const std::string into = kTarget + "\\" + std::string(240, 't');
  w.fake.AddFolder(into);
  EXPECT_EQ(w.SaveAll(into).copied, static_cast<int>(listed.size()));
  for (const std::string& path : listed) {
    std::string name = path.substr(path.rfind('\\') + 1);
    EXPECT_EQ(w.fake.ContentOf(into + "\\" + name), name);
  }
  EXPECT_TRUE(w.Clean().empty());
  EXPECT_TRUE(w.fake.Tree(kCache).empty());
}

TEST(Reliability, AFolderOf100000FilesIsListedAndEmptied) {
  World w;
  constexpr int kFiles = 100'000;
  for (int i = 0; i < kFiles; ++i) {
    w.fake.AddFile(kCache + "\\big\\f" + std::to_string(i) + (i % 2 ? ".gif" : ".jpg"), kAccess);
  }
  EXPECT_EQ(w.Search("*").size(), static_cast<std::size_t>(kFiles));
  EXPECT_EQ(w.table.Paths().Size(), static_cast<std::size_t>(kFiles));
  EXPECT_EQ(w.table.PathOf(kFiles - 1), kCache + "\\big\\f99999.gif");
  Paths jpg = w.Search("JPG");
  EXPECT_EQ(jpg.size(), static_cast<std::size_t>(kFiles / 2));
  EXPECT_EQ(jpg.back(), "f99998.jpg");

  EXPECT_TRUE(w.Clean().empty());
  EXPECT_TRUE(w.fake.Tree(kCache).empty());
  EXPECT_EQ(w.fake.Log().size(), static_cast<std::size_t>(kFiles + 1));
}

}  // namespace
}  // namespace morlind
