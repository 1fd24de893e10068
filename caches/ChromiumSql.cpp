#include "caches/ChromiumSql.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <vector>

#include "caches/ChromiumShared.h"
#include "platform/Paths.h"

namespace morlind {

namespace {

// Heads are a few KB; this only bounds what a damaged row could hand us.
constexpr std::int64_t kMaxHeadSize = 1 << 20;
constexpr std::size_t kCopyChunk = 1 << 20;

// "sqldb" and digits: a shard's database.
bool IsShardName(std::string_view name) {
  if (name.size() <= 5 || name.substr(0, 5) != "sqldb") return false;
  return std::all_of(name.begin() + 5, name.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

std::vector<std::string> ShardNames(Platform& platform, const std::string& folder) {
  std::vector<std::string> names;
  std::unique_ptr<DirListing> listing = platform.OpenListing(folder);
  if (!listing) return names;
  do {
    if (!listing->Current().IsDirectory() && IsShardName(listing->Current().name)) {
      names.emplace_back(listing->Current().name);
    }
  } while (listing->Next());
  std::sort(names.begin(), names.end());
  return names;
}

enum class Copied { kWhole, kHeld, kFailed };

// from copied byte for byte to to, read with every sharing granted.
Copied CopyFile(Platform& platform, const std::string& from, const std::string& to, const std::atomic<bool>* stop) {
  SystemError error = 0;
  std::unique_ptr<ReadOnlyFile> source = platform.OpenForReading(from, &error);
  if (!source) return error == kErrorSharingViolation ? Copied::kHeld : Copied::kFailed;
  std::unique_ptr<ReplacementFile> target = platform.CreateReplacement(to, &error);
  if (!target) return Copied::kFailed;
  std::string buffer(static_cast<std::size_t>(std::min<std::uint64_t>(source->Size(), kCopyChunk)), '\0');
  for (std::uint64_t at = 0; at < source->Size();) {
    std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(source->Size() - at, buffer.size()));
    std::optional<std::size_t> got = source->ReadAt(at, buffer.data(), want);
    if ((stop && *stop) || !got || *got == 0 || target->Write(buffer.data(), *got) != 0) return Copied::kFailed;
    at += *got;
  }
  return target->Commit(source->LastWrite()) == 0 ? Copied::kWhole : Copied::kFailed;
}

// One shard's database copied into a folder of the program's own and open
// there. Body readers share it; the last one to go closes it and lets the
// folder go, which its owner then removes.
class ShardCopy {
 public:
  ShardCopy(Platform& platform, CopyFolder folder, std::string name)
      : platform_(platform), folder_(std::move(folder)), name_(std::move(name)) {}
  ~ShardCopy() { sqlite3_close(db_); }
  ShardCopy(const ShardCopy&) = delete;
  ShardCopy& operator=(const ShardCopy&) = delete;

  // Copies the database and what SQLite keeps beside it while a write is
  // under way, then opens the copy. The log's shared-memory index (-shm) is
  // rebuilt from the log, so it is not copied.
  Copied Make(const std::string& cacheFolder, const std::atomic<bool>* stop) {
    for (std::string suffix : {"", "-wal", "-journal"}) {
      std::string from = JoinPath(cacheFolder, name_ + suffix);
      if (!suffix.empty() && !platform_.AttributesOf(from)) continue;
      Copied copied = CopyFile(platform_, from, JoinPath(*folder_, name_ + suffix), stop);
      if (copied != Copied::kWhole) return copied;
    }
    // Read-write: a journal left by an unfinished write is rolled back, and
    // a log needs its shared-memory index, both in the copy only.
    std::string path = platform_.LibraryPath(JoinPath(*folder_, name_));
    if (path.empty() || sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
      return Copied::kFailed;
    }
    return Copied::kWhole;
  }

  sqlite3* Db() const { return db_; }

 private:

  Platform& platform_;
  CopyFolder folder_;  // let go after the database is closed
  std::string name_;
  sqlite3* db_ = nullptr;
};

// A prepared statement, finalised when it goes.
class Statement {
 public:
  Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr); }
  ~Statement() { sqlite3_finalize(statement_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  sqlite3_stmt* Get() const { return statement_; }
  explicit operator bool() const { return statement_ != nullptr; }

 private:
  sqlite3_stmt* statement_ = nullptr;
};

std::string_view BlobOf(sqlite3_stmt* statement, int column) {
  const void* bytes = sqlite3_column_blob(statement, column);
  int size = sqlite3_column_bytes(statement, column);
  return bytes ? std::string_view(static_cast<const char*>(bytes), static_cast<std::size_t>(size)) : std::string_view();
}

// An entry's body: its blobs in order of their start, which must follow
// one another from 0 to the body's end.
class BlobsBody : public BodyReader {
 public:
  BlobsBody(std::shared_ptr<const ShardCopy> shard, std::int64_t resourceId, std::uint64_t size, bool complete)
      : shard_(std::move(shard)), resourceId_(resourceId), size_(size), complete_(complete) {}

  BodyStatus Read(Platform&, const BodySink& sink) const override {
    Statement blobs(shard_->Db(), "SELECT start, end, blob FROM blobs WHERE res_id=? ORDER BY start");
    if (!blobs || sqlite3_bind_int64(blobs.Get(), 1, resourceId_) != SQLITE_OK) return BodyStatus::kUnreadable;
    std::uint64_t next = 0;
    int step;
    while (next < size_ && (step = sqlite3_step(blobs.Get())) == SQLITE_ROW) {
      std::int64_t start = sqlite3_column_int64(blobs.Get(), 0), end = sqlite3_column_int64(blobs.Get(), 1);
      std::string_view piece = BlobOf(blobs.Get(), 2);
      if (start < 0 || static_cast<std::uint64_t>(start) != next || end < start ||
          static_cast<std::uint64_t>(end - start) != piece.size()) {
        return BodyStatus::kUnreadable;
      }
      piece = piece.substr(0, static_cast<std::size_t>(std::min<std::uint64_t>(piece.size(), size_ - next)));
      if (!piece.empty() && !sink(piece)) return BodyStatus::kStopped;
      next += piece.size();
    }
    if (next < size_) return BodyStatus::kUnreadable;
    return complete_ ? BodyStatus::kWhole : BodyStatus::kPartial;
  }

 private:
  std::shared_ptr<const ShardCopy> shard_;
  std::int64_t resourceId_;
  std::uint64_t size_;
  bool complete_;
};

// The live entries with a body of one shard; false when some could not be
// read.
bool ReadShard(const std::shared_ptr<const ShardCopy>& shard, const std::atomic<bool>* stop,
               std::vector<CacheEntry>& out) {
  Statement resources(shard->Db(), "SELECT res_id, last_used, body_end, cache_key, head FROM resources WHERE doomed=0");
  if (!resources) return false;
  bool whole = true;
  int step;
  while ((step = sqlite3_step(resources.Get())) == SQLITE_ROW) {
    if (stop && *stop) return whole;
    sqlite3_stmt* row = resources.Get();
    std::int64_t bodyEnd = sqlite3_column_int64(row, 2);
    if (bodyEnd == 0) continue;
    std::string_view head = BlobOf(row, 4);
    std::optional<chromium::StoredResponse> response =
        bodyEnd > 0 && static_cast<std::int64_t>(head.size()) <= kMaxHeadSize ? chromium::ParseResponseInfo(head)
                                                                              : std::nullopt;
    const unsigned char* key = sqlite3_column_text(row, 3);
    std::string address = key ? chromium::AddressFromKey(reinterpret_cast<const char*>(key)) : std::string();
    if (!response || address.empty()) {
      whole = false;
      continue;
    }
    CacheEntry entry;
    entry.address = std::move(address);
    entry.lastUsed = chromium::MomentFromChromiumTime(sqlite3_column_int64(row, 1));
    entry.storedSize = static_cast<std::uint64_t>(bodyEnd);
    chromium::DescribeEntry(*response, entry);
    entry.body = std::make_shared<BlobsBody>(shard, sqlite3_column_int64(row, 0), entry.storedSize, entry.complete);
    out.push_back(std::move(entry));
  }
  return whole && step == SQLITE_DONE;
}

}  // namespace

bool ChromiumSqlCache::Recognises(Platform& platform, const std::string& folder) const {
  return !ShardNames(platform, folder).empty();
}

CacheListing ChromiumSqlCache::Read(Platform& platform, const std::string& folder,
                                    const std::atomic<bool>* stop) const {
  CacheListing listing;
  for (const std::string& name : ShardNames(platform, folder)) {
    if (stop && *stop) break;
    CopyFolder copies = newFolder_ ? newFolder_() : nullptr;
    if (!copies) {
      listing.whole = false;
      continue;
    }
    auto shard = std::make_shared<ShardCopy>(platform, std::move(copies), name);
    Copied made = shard->Make(folder, stop);
    if (made == Copied::kHeld) listing.held = true;
    if (made != Copied::kWhole || !ReadShard(shard, stop, listing.entries)) listing.whole = false;
  }
  return listing;
}

}  // namespace morlind
