#include "caches/CacheSources.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/Paths.h"

namespace morlind {

namespace {

struct Browser {
  std::string_view label;
  std::string_view profiles;  // the folder holding its profiles, below the local application data
  bool chromium;
};

constexpr Browser kBrowsers[] = {
    {"Chrome", "Google\\Chrome\\User Data", true},
    {"Edge", "Microsoft\\Edge\\User Data", true},
    {"Brave", "BraveSoftware\\Brave-Browser\\User Data", true},
    {"Chromium", "Chromium\\User Data", true},
    {"Vivaldi", "Vivaldi\\User Data", true},
    {"Firefox", "Mozilla\\Firefox\\Profiles", false},
};

bool IsPlainFolder(std::uint32_t attributes) {
  return (attributes & kAttrDirectory) != 0 && (attributes & kAttrReparsePoint) == 0;
}

// base's folder at relative ("a\\b"), when every folder on the way is a
// folder of its own and none a link.
std::optional<std::string> PlainFolderBelow(Platform& platform, const std::string& base, std::string_view relative) {
  std::string path = base;
  while (!relative.empty()) {
    std::size_t separator = std::min(relative.find('\\'), relative.size());
    path = JoinPath(path, relative.substr(0, separator));
    relative.remove_prefix(std::min(separator + 1, relative.size()));
    std::optional<std::uint32_t> attributes = platform.AttributesOf(path);
    if (!attributes || !IsPlainFolder(*attributes)) return std::nullopt;
  }
  return path;
}

std::vector<std::string> PlainSubfolders(Platform& platform, const std::string& folder) {
  std::vector<std::string> names;
  std::unique_ptr<DirListing> listing = platform.OpenListing(folder);
  if (!listing) return names;
  do {
    const DirEntry& entry = listing->Current();
    if (!entry.IsDotOrDotDot() && IsPlainFolder(entry.attributes)) names.emplace_back(entry.name);
  } while (listing->Next());
  return names;
}

// A profile's cache folder: Chromium's Cache\Cache_Data, or its older
// Cache; Firefox's cache2.
std::optional<std::string> CacheFolderOf(Platform& platform, const Browser& browser, const std::string& profile) {
  if (!browser.chromium) return PlainFolderBelow(platform, profile, "cache2");
  if (platform.AttributesOf(JoinPath(profile, "Cache\\Cache_Data"))) {
    return PlainFolderBelow(platform, profile, "Cache\\Cache_Data");
  }
  return PlainFolderBelow(platform, profile, "Cache");
}

}  // namespace

FoundCaches FindCacheSources(Platform& platform, const std::string& localAppData,
                             const std::vector<const CacheFormat*>& formats) {
  FoundCaches found;
  for (const Browser& browser : kBrowsers) {
    std::optional<std::string> profiles = PlainFolderBelow(platform, localAppData, browser.profiles);
    if (!profiles) continue;
    std::vector<CacheSource> sources;
    for (const std::string& profile : PlainSubfolders(platform, *profiles)) {
      std::optional<std::string> folder = CacheFolderOf(platform, browser, JoinPath(*profiles, profile));
      if (!folder) continue;
      CacheSource source{*folder, std::string(browser.label), profile, {}, nullptr};
      for (const CacheFormat* format : formats) {
        if (format->Recognises(platform, *folder)) {
          source.format = format;
          break;
        }
      }
      if (source.format) sources.push_back(std::move(source));
    }
    for (CacheSource& source : sources) {
      source.displayName = source.browser;
      if (sources.size() > 1) source.displayName += "（" + source.profile + "）";
      found.readable.push_back(std::move(source));
    }
  }
  return found;
}

}  // namespace morlind
