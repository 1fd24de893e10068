// A deterministic cache-like tree: Content.IE5-style folders of files with
// mixed endings and access times spread over the last month.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace morlind::bench {

struct TreeShape {
  int files = 120'000;
  int folders = 1'200;
  std::uint32_t seed = 20081;
  // Access times fall in the 30 days before this moment (seconds since 1970).
  std::int64_t newestAccess = 1'230'000'000;
};

struct GeneratedFile {
  std::string relativePath;  // '\\'-joined, below the tree's root
  std::int64_t lastAccess;   // seconds since 1970 UTC
  std::uint64_t size;        // bytes
};

struct GeneratedTree {
  std::vector<std::string> folders;  // relative, parents before children
  std::vector<GeneratedFile> files;
};

GeneratedTree GenerateTree(const TreeShape& shape);

}  // namespace morlind::bench
