// Writes the benchmark's browser caches where the browsers keep them:
// make_caches LOCAL_APPDATA [CHROMIUM_ENTRIES [FIREFOX_ENTRIES]]. It writes
// nothing when its caches are not such as the browsers write: a bench over
// them would time something else.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "bench/CacheGenerator.h"
#include "bench/GeneratorCheck.h"

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
  const std::vector<std::string> faults =
      GeneratorFaults(MORLIND_REAL_CACHES, (fs::temp_directory_path() / "morlind-generator-check").string());
  for (const std::string& fault : faults) std::fprintf(stderr, "make_caches: %s\n", fault.c_str());
  if (!faults.empty()) return 1;
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
