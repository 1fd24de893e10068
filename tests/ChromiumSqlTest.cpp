// Chromium's SQL cache, read through copies SQLite opens, from the cache the
// real browser wrote (scripts/make-chromium-caches.sh) and from damaged
// copies of it laid out on the real file system.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "caches/ChromiumSql.h"
#include "platform/Paths.h"
#include "tests/CacheTestData.h"
#include "tests/TestClock.h"

namespace morlind {
namespace {

using test::Files;

// A folder of its own in the system's temporary folder, emptied and
// removed at the end; copies go into numbered folders inside it.
class TemporaryRoom {
 public:
  explicit TemporaryRoom(Platform& platform) : platform_(platform) {
    root_ = JoinPath(*platform.TemporaryFolder(), "morlind-sql-test-" + std::to_string(platform.ProcessId()));
    platform.CreateFolder(root_);
  }
  ~TemporaryRoom() { Remove(root_); }
  std::optional<std::string> NewFolder() {
    std::string folder = JoinPath(root_, "copy" + std::to_string(++made_));
    return platform_.CreateFolder(folder) == 0 ? std::optional(folder) : std::nullopt;
  }
  // What is in root now, folders by name.
  std::vector<std::string> Contents() {
    std::vector<std::string> names;
    std::unique_ptr<DirListing> listing = platform_.OpenListing(root_);
    for (bool more = listing != nullptr; more; more = listing->Next()) {
      if (!listing->Current().IsDotOrDotDot()) names.emplace_back(listing->Current().name);
    }
    return names;
  }
  // files laid out in a folder of their own, which is returned.
  std::string LayOut(const std::string& name, const Files& files) {
    std::string folder = JoinPath(root_, name);
    platform_.CreateFolder(folder);
    for (const auto& [file, content] : files) {
      std::unique_ptr<ReplacementFile> out = platform_.CreateReplacement(JoinPath(folder, file), nullptr);
      EXPECT_TRUE(out && out->Write(content.data(), content.size()) == 0 && out->Commit(133'000'000'000'000'000) == 0);
    }
    return folder;
  }
  std::string root_;

 private:
  void Remove(const std::string& path) {
    if (std::unique_ptr<DirListing> listing = platform_.OpenListing(path)) {
      std::vector<std::string> names;
      do {
        if (!listing->Current().IsDotOrDotDot()) names.emplace_back(listing->Current().name);
      } while (listing->Next());
      listing.reset();
      for (const std::string& name : names) Remove(JoinPath(path, name));
    }
    if (std::unique_ptr<OpenedEntry> entry = platform_.OpenForDelete(path)) entry->Delete();
  }

  Platform& platform_;
  int made_ = 0;
};

TEST(ChromiumSql, ListsEveryServedFileFromCopiesItRemovesAndLeavesTheCacheAsItWas) {
  Platform& host = test::HostPlatform();
  TemporaryRoom room(host);
  const ChromiumSqlCache sql([&] { return room.NewFolder(); });
  const std::string folder = test::DataPath("caches/chromium-sql");
  const Files before = test::DataFolder("caches/chromium-sql");
  EXPECT_TRUE(sql.Recognises(host, folder));
  EXPECT_FALSE(sql.Recognises(host, test::DataPath("caches/chromium-simple")));
  {
    CacheListing listing = sql.Read(host, folder, nullptr);
    EXPECT_TRUE(listing.whole);
    EXPECT_FALSE(listing.held);
    test::ExpectServedFiles(host, listing);
    // The copies last as long as the rows that read from them: one a shard.
    EXPECT_EQ(room.Contents().size(), 3u);
    std::atomic<bool> stop = true;
    EXPECT_TRUE(sql.Read(host, folder, &stop).entries.empty());
  }
  EXPECT_EQ(room.Contents(), std::vector<std::string>{});
  EXPECT_EQ(test::DataFolder("caches/chromium-sql"), before);
}

// A shard the browser holds without sharing is named, not read, and no
// copy is started; a platform whose files no library can open reads none.
TEST(ChromiumSql, AHeldDatabaseIsToldApart) {
  for (bool locked : {true, false}) {
    FakePlatform fake(test::HostPlatform());
    Files files = test::DataFolder("caches/chromium-sql");
    if (locked) files["sqldb1"] = "<locked>";
    test::LayOut(fake, "C:\\cache", files);
    int copies = 0;
    const ChromiumSqlCache sql([&] { return JoinPath("C:\\copies", std::to_string(++copies)); });
    fake.AddFolder("C:\\copies\\1"), fake.AddFolder("C:\\copies\\2"), fake.AddFolder("C:\\copies\\3");
    CacheListing listing = sql.Read(fake, "C:\\cache", nullptr);
    EXPECT_EQ(listing.held, locked);
    EXPECT_FALSE(listing.whole);
    EXPECT_TRUE(listing.entries.empty());
    EXPECT_EQ(copies, 3);
  }
}

struct SqlDamage {
  const char* name;
  const char* shard;
  std::function<void(std::string&)> bytes;  // applied to the shard's file
  const char* sql;                          // then run on it
  std::size_t entries;                      // what still comes out of the 13
  bool whole;
  int unreadableBodies;
};

void ReplaceAll(std::string& bytes, const std::string& from, const std::string& to) {
  for (std::size_t at = bytes.find(from); at != std::string::npos; at = bytes.find(from, at + to.size())) {
    bytes.replace(at, from.size(), to);
  }
}

class DamagedSqlCache : public testing::TestWithParam<SqlDamage> {};

TEST_P(DamagedSqlCache, ListsWhatIsReadableAndNeverReadsPastABlob) {
  Platform& host = test::HostPlatform();
  TemporaryRoom room(host);
  const SqlDamage& damage = GetParam();
  Files files = test::DataFolder("caches/chromium-sql");
  if (damage.bytes) damage.bytes(files[damage.shard]);
  std::string folder = room.LayOut("cache", files);
  if (damage.sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(host.LibraryPath(JoinPath(folder, damage.shard)).c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, damage.sql, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
  }
  const ChromiumSqlCache sql([&] { return room.NewFolder(); });
  CacheListing listing = sql.Read(host, folder, nullptr);
  EXPECT_EQ(listing.whole, damage.whole);
  EXPECT_EQ(listing.entries.size(), damage.entries);
  int unreadable = 0;
  for (const CacheEntry& entry : listing.entries) {
    test::Body body = test::ReadBody(host, entry);
    unreadable += body.status == BodyStatus::kUnreadable;
    EXPECT_LE(body.bytes.size(), entry.storedSize);
  }
  EXPECT_EQ(unreadable, damage.unreadableBodies);
}

// sqldb0 holds 7 entries, sqldb1 4 (big.jpg among them), sqldb2 2.
const SqlDamage kSqlDamages[] = {
    {"NotSqlite", "sqldb0", [](std::string& f) { f.assign(f.size(), 'x'); }, nullptr, 6, false, 0},
    {"CutShort", "sqldb1", [](std::string& f) { f.resize(4096 * 3); }, nullptr, 9, false, 0},
    {"CutToNothing", "sqldb1", [](std::string& f) { f.clear(); }, nullptr, 9, false, 0},
    {"OtherSchema", "sqldb2", [](std::string& f) { ReplaceAll(f, "resources", "resourcez"); }, nullptr, 11, false, 0},
    {"HeadWithoutStatus", "sqldb2", nullptr, "UPDATE resources SET head=x'00' WHERE res_id=1", 12, false, 0},
    {"KeyWithoutUrl", "sqldb2", nullptr, "UPDATE resources SET cache_key='1/0/_dk_x' WHERE res_id=1", 12, false, 0},
    {"Doomed", "sqldb2", nullptr, "UPDATE resources SET doomed=1 WHERE res_id=1", 12, true, 0},
    {"NoBody", "sqldb2", nullptr, "UPDATE resources SET body_end=0 WHERE res_id=1", 12, true, 0},
    {"BlobAfterAGap", "sqldb2", nullptr, "UPDATE blobs SET start=start+1", 13, true, 2},
    {"BlobShorterThanItsRange", "sqldb2", nullptr, "UPDATE blobs SET end=end+1", 13, true, 2},
    {"BlobsMissing", "sqldb1", nullptr, "DELETE FROM blobs", 13, true, 4},
    {"BodyPastItsBlobs", "sqldb2", nullptr, "UPDATE resources SET body_end=body_end+1", 13, true, 2},
};

INSTANTIATE_TEST_SUITE_P(ChromiumSql, DamagedSqlCache, testing::ValuesIn(kSqlDamages),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace morlind
