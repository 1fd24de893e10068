// Chromium's SQL cache, read through copies in the program's scratch folder,
// from the cache the real browser wrote and from damaged copies of it.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "actions/Scratch.h"
#include "caches/ChromiumSql.h"
#include "tests/CacheTestData.h"
#include "tests/TestClock.h"

namespace morlind {
namespace {

namespace fs = std::filesystem;
fs::path Native(std::string path) { return std::replace(path.begin(), path.end(), '\\', '/'), path; }

TEST(ChromiumSql, ListsEveryServedFileFromCopiesItRemovesAndLeavesTheCacheAsItWas) {
  Platform& host = test::HostPlatform();
  ScratchFolder scratch(host);
  const ChromiumSqlCache sql([&] { return scratch.NewLeasedFolder(); });
  const std::string folder = test::DataPath("caches/chromium-sql");
  const test::Files before = test::DataFolder("caches/chromium-sql");
  EXPECT_TRUE(sql.Recognises(host, folder));
  EXPECT_FALSE(sql.Recognises(host, test::DataPath("caches/chromium-simple")));
  const fs::path own = Native(*host.TemporaryFolder()) / "Morlind" / std::to_string(host.ProcessId());
  {
    CacheListing listing = sql.Read(host, folder, nullptr);
    EXPECT_TRUE(listing.whole);
    test::ExpectServedFiles(host, listing);
    EXPECT_EQ(std::distance(fs::directory_iterator(own), {}), 3);  // one a shard, while its rows last
    std::atomic<bool> stop = true;
    EXPECT_TRUE(sql.Read(host, folder, &stop).entries.empty());
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(own), {}), 0);
  EXPECT_EQ(test::DataFolder("caches/chromium-sql"), before);
}

// Held without sharing: named, no copy started; no room for copies: not read.
TEST(ChromiumSql, AHeldDatabaseIsNamedAndOneWithoutRoomForItsCopyNotRead) {
  FakePlatform fake(test::HostPlatform());
  test::Files files = test::DataFolder("caches/chromium-sql");
  files["sqldb1"] = "<locked>";
  test::LayOut(fake, "C:\\cache", files);
  fake.AddFolder("C:\\copy");
  EXPECT_TRUE(ChromiumSqlCache([] { return std::make_shared<const std::string>("C:\\copy"); }).Read(fake, "C:\\cache", nullptr).held);
  CacheListing none = ChromiumSqlCache([] { return CopyFolder(); }).Read(fake, "C:\\cache", nullptr);
  EXPECT_FALSE(none.whole || none.held);
}

// shard, bytes replaced (from, to) or SQL run on it; what still lists of
// the 13 (sqldb0 holds 7, sqldb1 4, sqldb2 2) and whose bodies cannot be read.
const struct SqlDamage {
  const char *shard, *from, *to, *sql;
  std::size_t entries;
  bool whole;
  int unreadable;
} kSqlDamages[] = {
    {"sqldb0", "SQLite format 3", "not a database!", nullptr, 6, false, 0},
    {"sqldb1", "", "", nullptr, 9, false, 0},  // cut to nothing
    {"sqldb2", "resources", "resourcez", nullptr, 11, false, 0},
    {"sqldb2", nullptr, nullptr, "UPDATE resources SET head=x'00' WHERE res_id=1", 12, false, 0},
    {"sqldb2", nullptr, nullptr, "UPDATE resources SET cache_key='1/0/_dk_x' WHERE res_id=1", 12, false, 0},
    {"sqldb2", nullptr, nullptr, "UPDATE resources SET doomed=1 WHERE res_id=1", 12, true, 0},
    {"sqldb2", nullptr, nullptr, "UPDATE resources SET body_end=0 WHERE res_id=1", 12, true, 0},
    {"sqldb2", nullptr, nullptr, "UPDATE blobs SET start=start+1", 13, true, 2},
    {"sqldb2", nullptr, nullptr, "UPDATE blobs SET end=end+1", 13, true, 2},
    {"sqldb2", nullptr, nullptr, "UPDATE resources SET body_end=body_end+1", 13, true, 2},
    {"sqldb1", nullptr, nullptr, "DELETE FROM blobs", 13, true, 4},
    {"sqldb2", nullptr, nullptr, "PRAGMA journal_mode=WAL; DELETE FROM resources WHERE res_id=1", 12, true, 0},
    {"sqldb1", nullptr, nullptr,  // big.jpg in two blobs, the later one first
     "INSERT INTO blobs(res_id, start, end, check_sum, blob) SELECT res_id, 10, end, 0, substr(blob, 11) FROM blobs "
     "WHERE res_id=2; UPDATE blobs SET end=10, blob=substr(blob, 1, 10) WHERE res_id=2 AND start=0", 13, true, 0},
};

TEST(ChromiumSql, ADamagedDatabaseListsWhatIsReadableAndNoBodyReadsPastItsBlobs) {
  Platform& host = test::HostPlatform();
  for (const SqlDamage& damage : kSqlDamages) {
    SCOPED_TRACE(damage.sql ? damage.sql : damage.to);
    ScratchFolder scratch(host);
    const std::string cache = *scratch.NewFolder();
    fs::copy(MORLIND_TEST_DATA "/caches/chromium-sql", Native(cache));
    const fs::path shard = Native(cache) / damage.shard;
    if (damage.from) {
      std::string bytes = test::DataFile(std::string("caches/chromium-sql/") + damage.shard);
      std::ofstream(shard, std::ios::binary) << (*damage.from ? std::regex_replace(bytes, std::regex(damage.from), damage.to)
                                                              : "");
    }
    sqlite3* db = nullptr;  // left open while the cache is read, as the browser's is
    EXPECT_FALSE(damage.sql && sqlite3_open(shard.string().c_str(), &db) | sqlite3_exec(db, damage.sql, 0, 0, 0));
    CacheListing listing = ChromiumSqlCache([&] { return scratch.NewLeasedFolder(); }).Read(host, cache, nullptr);
    sqlite3_close(db);
    EXPECT_EQ(listing.whole, damage.whole);
    EXPECT_EQ(listing.entries.size(), damage.entries);
    int unreadable = 0;
    for (const CacheEntry& entry : listing.entries) {
      test::Body body = test::ReadBody(host, entry);
      unreadable += body.status == BodyStatus::kUnreadable;
      EXPECT_LE(body.bytes.size(), entry.storedSize);
      if (entry.address.ends_with("/img/big.jpg") && !damage.unreadable) {
        EXPECT_EQ(body.bytes, test::DataFile("caches/served/01.body"));
      }
    }
    EXPECT_EQ(unreadable, damage.unreadable);
  }
}

}  // namespace
}  // namespace morlind
