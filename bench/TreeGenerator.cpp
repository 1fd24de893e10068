#include "bench/TreeGenerator.h"

#include <array>
#include <random>

namespace morlind::bench {

namespace {

constexpr std::array kStems = {"photo", "banner", "logo", "index", "style", "script", "clip",
                               "thumb", "ad",    "track", "icon", "bg",    "player", "song"};
constexpr std::array kEndings = {".jpg", ".gif", ".png", ".swf", ".flv", ".js",  ".css",
                                 ".htm", ".mp3", ".wmv", ".wma", ".mid", ".txt", ""};
constexpr int kContainers = 2;  // a profile has two cache containers

std::string FolderName(std::mt19937& random) {
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::string name(8, ' ');
  for (char& c : name) c = kAlphabet[random() % (sizeof kAlphabet - 1)];
  return name;
}

}  // namespace

GeneratedTree GenerateTree(const TreeShape& shape) {
  std::mt19937 random(shape.seed);
  GeneratedTree tree;
  std::vector<std::string> leaves;
  for (int c = 0; c < kContainers; ++c) {
    std::string container = c == 0 ? "Content.IE5" : "Low\\Content.IE5";
    if (c == 1) tree.folders.push_back("Low");
    tree.folders.push_back(container);
    for (int f = c; f < shape.folders; f += kContainers) {
      leaves.push_back(container + "\\" + FolderName(random));
      tree.folders.push_back(leaves.back());
    }
  }

  // Sizes from their own sequence, so that names and times stay those of
  // trees written before files had sizes. From a byte to 2 MB, every power
  // of two as likely: most files small, as in a browser's cache.
  std::mt19937 sizes(shape.seed + 1);
  const std::int64_t month = 30LL * 24 * 3600;
  tree.files.reserve(static_cast<std::size_t>(shape.files));
  for (int i = 0; i < shape.files; ++i) {
    const std::string& folder = leaves[static_cast<std::size_t>(i) % leaves.size()];
    std::string name = std::string(kStems[random() % kStems.size()]) + std::to_string(i) + "[" +
                       std::to_string(1 + random() % 3) + "]" + kEndings[random() % kEndings.size()];
    std::int64_t access = shape.newestAccess - static_cast<std::int64_t>(random() % month);
    std::uint64_t size = (std::uint64_t{1} << (sizes() % 22)) + sizes() % 1024;
    tree.files.push_back({folder + "\\" + name, access, size});
  }
  return tree;
}

}  // namespace morlind::bench
