#include "search/BrowserScan.h"

#include "caches/ChromiumBlockFile.h"
#include "caches/ChromiumSimple.h"
#include "caches/EntryName.h"
#include "caches/FirefoxCache2.h"
#include "search/AccessTime.h"
#include "search/Extension.h"

namespace morlind {

FoundCaches FindBrowserCaches(Platform& platform, const CacheFormat& sqlCache) {
  static const ChromiumBlockFileCache blockFile;
  static const ChromiumSimpleCache simple;
  static const FirefoxCache2 firefox;
  std::optional<std::string> localAppData = platform.SpecialFolderPath(kLocalAppDataFolder);
  if (!localAppData) return {};
  return FindCacheSources(platform, *localAppData, {&blockFile, &simple, &firefox, &sqlCache});
}

std::string SearchNotes(bool noCacheFolder, const BrowserScanReport& report) {
  std::string notes = noCacheFolder ? "找不到IE缓存文件夹。" : "";
  for (const std::string& source : report.partlyRead) notes += source + "的缓存无法完整读取。";
  for (const std::string& source : report.held) notes += source + "的缓存正被浏览器占用，关闭浏览器后再搜索。";
  return notes;
}

BrowserScanReport ScanBrowserCaches(Platform& platform, const std::vector<CacheSource>& sources,
                                    const ScanFilter& filter, ResultTable& table, JobControl* job) {
  BrowserScanReport report;
  std::vector<std::string> names{"IE"};
  for (const CacheSource& source : sources) names.push_back(source.displayName);
  table.SetSourceNames(std::move(names));

  LocalTimeCache localTime(platform);
  for (std::size_t i = 0; i < sources.size() && i + 1 < kNoSource; ++i) {
    const CacheSource& source = sources[i];
    if (StopRequested(job) || !source.format) continue;
    CacheListing listing = source.format->Read(platform, source.folder, job ? &job->StopFlag() : nullptr);
    if (StopRequested(job)) break;
    if (listing.held) {
      report.held.push_back(source.displayName);
    } else if (!listing.whole) {
      report.partlyRead.push_back(source.displayName);
    }
    for (CacheEntry& entry : listing.entries) {
      std::string name = EntryFileName(entry.address, entry.contentType);
      if (!NameMatches(name, filter.extension) || !PassesWindow(filter, entry.lastUsed)) continue;
      std::optional<std::int64_t> local;
      if (entry.lastUsed != kBadMoment) local = localTime.LocalSecondsOf(entry.lastUsed);
      table.AddEntryRow(name, static_cast<std::uint16_t>(i + 1), local, entry.storedSize, std::move(entry));
      CountOne(job);
    }
  }
  return report;
}

}  // namespace morlind
