// Writes the benchmark's browser caches where the browsers keep them:
// make_caches LOCAL_APPDATA [CHROMIUM_ENTRIES [FIREFOX_ENTRIES]].
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "bench/CacheGenerator.h"

namespace {

namespace fs = std::filesystem;

morlind::bench::CacheFileSink WriterInto(const fs::path& folder) {
  fs::remove_all(folder);
  return [folder](const std::string& relative, std::string_view bytes) {
    fs::path path = folder / relative;
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
      std::fprintf(stderr, "make_caches: cannot write %s\n", path.c_str());
      std::exit(1);
    }
  };
}

}  // namespace

int main(int argc, char** argv) {
  using namespace morlind::bench;
  if (argc < 2) {
    std::fprintf(stderr, "usage: make_caches LOCAL_APPDATA [CHROMIUM_ENTRIES [FIREFOX_ENTRIES]]\n");
    return 2;
  }
  const fs::path local = argv[1];
  BrowserCacheShape chrome, firefox;
  chrome.entries = argc > 2 ? std::atoi(argv[2]) : 50'000;
  firefox.entries = argc > 3 ? std::atoi(argv[3]) : 20'000;
  firefox.seed = chrome.seed + 1;
  WriteBlockFileCache(GenerateResponses(chrome), WriterInto(local / "Google/Chrome/User Data/Default/Cache/Cache_Data"));
  WriteFirefoxCache(GenerateResponses(firefox), WriterInto(local / "Mozilla/Firefox/Profiles/bench.default-release/cache2"));
  std::printf("make_caches: %d block-file entries (Chrome) and %d cache2 entries (Firefox) under %s\n", chrome.entries,
              firefox.entries, local.c_str());
  return 0;
}
