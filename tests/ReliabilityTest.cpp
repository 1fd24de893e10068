// Faults and bad input on the fake file system: what the user sees, and
// that nothing outside the cache and the chosen folder changes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>

#include "actions/Clean.h"
#include "actions/Save.h"
#include "platform/FakePlatform.h"
#include "search/Extension.h"
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
// beside both that no operation may touch. When it goes out of scope it
// checks that every deletion stayed in the cache, every copy went from the
// cache into the target, and the sentinel is the same byte for byte.
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
    EXPECT_EQ(RunSearch(fake, input, criteria, table), SearchOutcome::kDone);
    return Names();
  }

  Paths Names() const {
    Paths names;
    for (int row = 0; row < table.RowCount(); ++row) {
      names.push_back(table.GetItemText(row, Column::kName));
      EXPECT_TRUE(table.PathOf(row).starts_with(kCache + "\\")) << table.PathOf(row);
    }
    return names;
  }

  // 清理IE缓存: the clean and the search after it.
  Paths Clean() {
    EXPECT_EQ(CleanSpecialFolder(fake, kInternetCacheFolder), 0);
    return Search(criteria.extension);
  }

  // Ticks every row and presses 保存选中, picking folder.
  void SaveAll(const std::string& folder = kTarget) {
    table.SetAllTicks(true);
    ui.folderAnswers = {folder};
    SaveSelected(fake, ui, table);
  }

  FakePlatform fake{test::HostPlatform()};
  test::FakeUi ui;
  SearchCriteria criteria;
  ResultTable table;
  Paths sentinel;
};

// "a.jpg" from "C:\\cache\\a.jpg": the copies made into the target.
Paths TargetFiles(const World& w) {
  Paths names;
  for (const std::string& path : w.fake.Tree(kTarget)) names.push_back(path.substr(kTarget.size() + 1));
  return names;
}

TEST(Reliability, ListingsThatBreakOffLoseOnlyWhatTheyDidNotDeliver) {
  // {folder whose listing breaks, entries it still delivers}; the cache
  // lists A (a0, a1, a2) and then top.jpg.
  const std::pair<std::string, std::size_t> cases[] = {
      {"C:\\cache\\A", 0}, {"C:\\cache\\A", 1}, {"C:\\cache\\A", 2}, {"C:\\cache\\A", 3},
      {kCache, 0},         {kCache, 1},         {kCache, 2}};
  for (const auto& [folder, delivered] : cases) {
    SCOPED_TRACE(folder + " after " + std::to_string(delivered));
    World w;
    for (const char* name : {"A\\a0.jpg", "A\\a1.jpg", "A\\a2.jpg", "top.jpg"}) {
      w.fake.AddFile(kCache + "\\" + name, kAccess, name);
    }
    w.fake.BreakListingAfter(folder, delivered);
    Paths seen;
    if (folder == kCache) {
      if (delivered >= 1) seen = {"a0.jpg", "a1.jpg", "a2.jpg"};
      if (delivered >= 2) seen.push_back("top.jpg");
    } else {
      for (std::size_t i = 0; i < delivered; ++i) seen.push_back("a" + std::to_string(i) + ".jpg");
      seen.push_back("top.jpg");
    }
    EXPECT_EQ(w.Search("*"), seen);

    // The clean deletes what it was shown, and A too once it was emptied;
    // the rest stays, and the search after it lists only what is left.
    bool emptiedA = folder == kCache ? delivered >= 1 : delivered >= 3;
    std::size_t before = w.fake.Tree(kCache).size();
    w.Clean();
    Paths left = w.fake.Tree(kCache);
    EXPECT_EQ(left.size(), before - seen.size() - (emptiedA ? 1 : 0));
    for (int row = 0; row < w.table.RowCount(); ++row) EXPECT_TRUE(w.fake.ContentOf(w.table.PathOf(row)));
  }

  World refused;  // the cache folder itself cannot be listed
  refused.fake.AddFile(kCache + "\\a.jpg", kAccess, "a");
  refused.fake.RefuseListing(kCache);
  EXPECT_TRUE(refused.Search("*").empty() && refused.Clean().empty() && refused.fake.Log().empty());
}

TEST(Reliability, EntriesThatVanishAfterListingFailQuietly) {
  for (bool clean : {false, true}) {
    SCOPED_TRACE(clean ? "clean" : "search and save");
    World w;
    w.fake.AddFile(kCache + "\\gone.jpg\\inner.jpg", kAccess, "inner");  // a folder
    w.fake.AddFile(kCache + "\\gone2.jpg", kAccess, "gone2");
    w.fake.AddFile(kCache + "\\stay.jpg", kAccess, "stay");
    w.fake.VanishWhenListed(kCache + "\\gone.jpg");
    w.fake.VanishWhenListed(kCache + "\\gone2.jpg");
    if (!clean) {
      // The vanished folder can no longer be listed, so it is tested as a
      // file; the vanished file is listed as the listing reported it.
      EXPECT_EQ(w.Search("jpg"), (Paths{"gone.jpg", "gone2.jpg", "stay.jpg"}));
      w.SaveAll();
      EXPECT_EQ(TargetFiles(w), (Paths{"old.jpg", "stay.jpg"}));
      EXPECT_EQ(w.fake.ContentOf(kTarget + "\\stay.jpg"), "stay");
    } else {
      EXPECT_TRUE(w.Clean().empty());
      EXPECT_TRUE(w.fake.Tree(kCache).empty());
    }
    EXPECT_TRUE(w.ui.messages.empty());
  }
}

TEST(Reliability, RefusedFoldersAreFilesAndWhatCannotBeDeletedStays) {
  World w;
  w.fake.AddFile(kCache + "\\x.jpg\\hidden.jpg", kAccess, "hidden");
  w.fake.RefuseListing(kCache + "\\x.jpg");
  w.fake.AddFile(kCache + "\\L\\l.jpg", kAccess, "l");
  w.fake.LockFolder(kCache + "\\L");
  w.fake.AddFile(kCache + "\\A\\B\\locked.jpg", kAccess, "locked");
  w.fake.LockFile(kCache + "\\A\\B\\locked.jpg");
  w.fake.AddFile(kCache + "\\A\\B\\b.jpg", kAccess, "b");
  w.fake.AddFile(kCache + "\\A\\a.jpg", kAccess, "a");
  w.fake.AddFile(kCache + "\\top.jpg", kAccess, "top");

  EXPECT_EQ(w.Search("jpg"), (Paths{"x.jpg", "l.jpg", "locked.jpg", "b.jpg", "a.jpg", "top.jpg"}));
  w.SaveAll();  // the refused folder cannot be copied as a file
  EXPECT_EQ(TargetFiles(w), (Paths{"old.jpg", "l.jpg", "locked.jpg", "b.jpg", "a.jpg", "top.jpg"}));

  EXPECT_EQ(w.Clean(), (Paths{"x.jpg", "locked.jpg"}));
  EXPECT_EQ(w.fake.Tree(kCache),
            (Paths{kCache + "\\x.jpg\\", kCache + "\\x.jpg\\hidden.jpg", kCache + "\\L\\",
                   kCache + "\\A\\", kCache + "\\A\\B\\", kCache + "\\A\\B\\locked.jpg"}));
  EXPECT_TRUE(w.ui.messages.empty());
}

TEST(Reliability, FailedCopiesAreSilentAndChangeNothingElse) {
  struct Case {
    const char* fault;
    std::function<void(FakePlatform&)> inject;
    Paths copied;
  };
  // a.jpg holds 4 bytes, b.jpg 8, c.jpg 2.
  const Case cases[] = {
      {"source gone", [](FakePlatform& f) { f.RemoveFile(kCache + "\\b.jpg"); }, {"a.jpg", "c.jpg"}},
      {"target not writable", [](FakePlatform& f) { f.RefuseWrites(kTarget); }, {}},
      {"disk full after 7 bytes", [](FakePlatform& f) { f.SetCopyQuota(7); }, {"a.jpg", "c.jpg"}},
      {"disk full", [](FakePlatform& f) { f.SetCopyQuota(0); }, {}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fault);
    World w;
    w.fake.AddFile(kCache + "\\a.jpg", kAccess, "aaaa");
    w.fake.AddFile(kCache + "\\b.jpg", kAccess, "bbbbbbbb");
    w.fake.AddFile(kCache + "\\c.jpg", kAccess, "cc");
    ASSERT_EQ(w.Search("*").size(), 3u);
    c.inject(w.fake);
    Paths cache = w.Snapshot(kCache);

    w.SaveAll();
    w.table.SetHighlighted(1);  // b.jpg, saved as "copy" with extension "*"
    w.ui.savePathAnswers = {kTarget + "\\copy.*"};
    SaveCurrent(w.fake, w.ui, w.table, "*");

    Paths expected{"old.jpg"};
    expected.insert(expected.end(), c.copied.begin(), c.copied.end());
    EXPECT_EQ(TargetFiles(w), expected);
    for (const std::string& name : c.copied) {
      EXPECT_EQ(w.fake.ContentOf(kTarget + "\\" + name), w.fake.ContentOf(kCache + "\\" + name));
    }
    EXPECT_EQ(w.fake.ContentOf(kTarget + "\\old.jpg"), "there before");
    EXPECT_EQ(w.Snapshot(kCache), cache);
    EXPECT_TRUE(w.ui.messages.empty());
    EXPECT_EQ(w.fake.Log().back(), "copy " + kCache + "\\b.jpg -> " + kTarget + "\\copy");
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
  w.SaveAll();
  EXPECT_EQ(TargetFiles(w), (Paths{"old.jpg", "own2.jpg", "own1.jpg", "own0.jpg"}));

  EXPECT_TRUE(w.Clean().empty());
  Paths left = w.fake.Tree(kCache);
  EXPECT_EQ(left.size(), std::size(links) + 2);  // the links, A and B
  for (const auto& [path, target] : links) {
    EXPECT_NE(std::find(left.begin(), left.end(), kCache + path + "\\"), left.end()) << path;
  }
  EXPECT_EQ(TargetFiles(w), (Paths{"old.jpg", "own2.jpg", "own1.jpg", "own0.jpg"}));
}

// Names a Windows file system can hold, as code page 936 text: every byte
// 0x20-0xFF but \ / : * ? " < > |, single bytes at the start and the end,
// lead bytes with a trail byte (0x5C among them), names ending in dots
// and spaces.
Paths OddNames() {
  Paths names;
  const std::string forbidden = "\\/:*?\"<>|";
  for (int b = 0x20; b <= 0xFF; ++b) {
    char c = static_cast<char>(b);
    if (forbidden.find(c) != std::string::npos) continue;
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02X", b);
    bool lead = b >= 0x81 && b <= 0xFE;
    names.push_back(lead ? std::string{c, '\\'} + hex + std::string{c, c}
                         : std::string{c} + hex + std::string{c});
  }
  for (const char* name : {"a.", "a..", "a ", "a. ", "a .", "...", " ", "\xCD\xBC\xC6\xAC.jpg",
                           "\xCD\xBC.\xC6\xAC", "\xB1\xED\xB8\xF1.JPG"}) {
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

  // Double-byte characters at even and at odd offsets, cut at every byte.
  const std::string mixed = "\xCD\xBCj\xC6\xACpG.\xB1\xED" "a\xB8\xF1\xCD\xBC" "b c";
  Paths typed;
  for (const std::string& text : {mixed + mixed + mixed.substr(0, 10), "x" + mixed + mixed + mixed}) {
    for (std::size_t length = 0; length <= 40; ++length) typed.push_back(text.substr(0, length));
  }
  for (const char* odd : {"*", "*.*", ".", "..", "\\", "\xCD"}) typed.emplace_back(odd);

  auto fold = [](std::string text) {
    for (char& c : text) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return text;
  };
  for (const std::string& text : typed) {
    SCOPED_TRACE(testing::PrintToString(text));
    w.criteria.extension.clear();  // else empty text keeps the last one
    Paths rows = w.Search(text);
    const std::string& cut = w.criteria.extension;

    // At most nine bytes, a prefix of what was typed, ending where a whole
    // character ends, and only shorter when the next character does not fit.
    std::size_t end = 0, next = 0;
    while (end < text.size()) {
      next = end + (IsLeadByte936(static_cast<unsigned char>(text[end])) && end + 1 < text.size() ? 2 : 1);
      if (next > cut.size()) break;
      end = next;
    }
    EXPECT_LE(cut.size(), kMaxExtensionBytes);
    EXPECT_TRUE(text.starts_with(cut));
    EXPECT_EQ(end, cut.size());
    EXPECT_TRUE(end == text.size() || next > kMaxExtensionBytes);

    Paths expected;
    for (const std::string& name : names) {
      if (cut == "*" || (name.size() >= cut.size() &&
                          fold(name.substr(name.size() - cut.size())) == fold(cut))) {
        expected.push_back(name);
      }
    }
    EXPECT_EQ(rows, expected);
    if (text == "*" || text.empty()) {
      EXPECT_EQ(rows.size(), names.size());
    } else if (text == "*.*" || text == "\\") {
      EXPECT_TRUE(rows.empty());
    } else if (text == ".") {
      EXPECT_EQ(rows, (Paths{".2E.", "a.", "a..", "a .", "..."}));
    }
  }
  EXPECT_TRUE(w.Clean().empty());
  EXPECT_TRUE(w.fake.Tree(kCache).empty());
  EXPECT_TRUE(w.ui.messages.empty());
}

TEST(Reliability, PathsAroundTheLimitAreSkippedNeverCut) {
  World w;
  const std::string dir = kCache + "\\" + std::string(200, 'd');  // 209 bytes
  Paths listed, deleted;
  for (std::size_t length = 255; length <= 270; ++length) {
    // A file whose path has this length, and a folder with a file in it.
    std::string file = dir + "\\" + std::string(length - dir.size() - 1, 'f');
    std::string folder = kCache + "\\" + std::string(length - kCache.size() - 1, 'g');
    w.fake.AddFile(file, kAccess, "f");
    w.fake.AddFile(folder + "\\x", kAccess, "x");
    if (length < kMaxPath) listed.push_back(file);
    if (length < kMaxPath) deleted.push_back("delete " + file);
    if (length + 4 < kMaxPath) listed.push_back(folder + "\\x");  // "\\*.*" must fit
    if (length + 2 < kMaxPath) {                                 // "\\*" must fit
      deleted.push_back("delete " + folder + "\\x");
      deleted.push_back("rmdir " + folder);
    }
  }
  w.Search("*");
  Paths paths;
  for (int row = 0; row < w.table.RowCount(); ++row) paths.push_back(w.table.PathOf(row));
  std::sort(paths.begin(), paths.end());
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(paths, listed);

  deleted.push_back("rmdir " + dir);  // fails: the long names are still in it
  w.Clean();
  Paths log = w.fake.Log();
  std::sort(log.begin(), log.end());
  std::sort(deleted.begin(), deleted.end());
  EXPECT_EQ(log, deleted);

  // Saving: targets of 255 to 270 bytes in a long folder.
  World save;
  const std::string into = kTarget + "\\" + std::string(200, 't');  // 207 bytes
  save.fake.AddFolder(into);
  Paths copied;
  for (std::size_t length = 255; length <= 270; ++length) {
    std::string name(length - into.size() - 1, 's');
    save.fake.AddFile(kCache + "\\" + name, kAccess, name);
    if (length < kMaxPath) copied.push_back("copy " + kCache + "\\" + name + " -> " + into + "\\" + name);
  }
  save.Search("*");
  save.SaveAll(into);
  EXPECT_EQ(save.fake.Log(), copied);
}

TEST(Reliability, ATreeOf120FoldersIsWalkedAsFarAsPathsFit) {
  for (const std::string& folder : {std::string("d"), std::string("ddd")}) {
    SCOPED_TRACE(folder);
    World w;
    std::string path = kCache;
    std::size_t walked = 0, emptied = 0;
    for (int depth = 1; depth <= 120; ++depth) {
      path += "\\" + folder;
      w.fake.AddFile(path + "\\f", kAccess, "f");
      if (path.size() + 4 < kMaxPath && walked == static_cast<std::size_t>(depth - 1)) ++walked;
      if (path.size() + 2 < kMaxPath && emptied == static_cast<std::size_t>(depth - 1)) ++emptied;
    }
    EXPECT_EQ(w.Search("*").size(), walked);
    w.Clean();
    // Every file of a folder the clean could list is gone; the rest stays.
    Paths left = w.fake.Tree(kCache);
    std::size_t files = std::count_if(left.begin(), left.end(),
                                      [](const std::string& p) { return p.ends_with("\\f"); });
    EXPECT_EQ(files, 120 - emptied);
    EXPECT_EQ(left.empty(), emptied == 120);
  }
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
