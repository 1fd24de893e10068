// The scan over a random fake tree with links, refused folders and odd
// times, against a model of the tree as it was built that never asks the
// file system.
#include <cstdlib>
#include <ctime>
#include <iterator>
#include <map>
#include <vector>

#include "platform/FakePlatform.h"
#include "platform/PosixPlatform.h"
#include "search/AccessTime.h"
#include "search/CacheScan.h"
#include "search/Extension.h"
#include "tests/fuzz/FuzzInput.h"

using morlind::fuzz::Check;

namespace morlind {
namespace {

const std::string kRoot = "C:\\root";


struct Row {
  std::string path, name, type, time;
  bool operator==(const Row&) const = default;
};

// What the fuzzer built, by path; the rows the rules give for it.
class Model {
 public:
  enum Kind { kFolder, kRefused, kLink, kFile };

  // False when the path is taken already (names compare without ASCII case).
  bool Add(const std::string& parent, const std::string& path, Kind kind, std::uint64_t time) {
    if (!byKey_.emplace(Key(path), nodes_.size()).second) return false;
    nodes_.push_back({path, path.substr(parent.size() + 1), kind, time});
    children_[Key(parent)].push_back(nodes_.size() - 1);
    return true;
  }

  // Time texts come from the clock's own conversion, not the scan's cache.
  std::vector<Row> Rows(const std::string& root, const ScanFilter& filter, Platform& clock) const {
    std::vector<Row> rows;
    Walk(root, filter, clock, rows);
    return rows;
  }

 private:
  struct Node {
    std::string path, name;
    Kind kind;
    std::uint64_t time;
  };

  static std::string Key(std::string text) {
    for (char& c : text) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return text;
  }

  static std::int64_t Seconds(const Node& node) {
    return UnixSecondsOfFileTime(node.time);
  }

  static bool Passes(const Node& node, const ScanFilter& filter) {
    std::string ending = Key(filter.extension);
    bool named = filter.extension == "*" ||
                 (node.name.size() >= ending.size() &&
                  Key(node.name).compare(node.name.size() - ending.size(), ending.size(), ending) == 0);
    if (!named || filter.accessMode == AccessMode::kNoLimit) return named;
    std::int64_t seconds = Seconds(node);
    return seconds >= 0 && filter.start < seconds && seconds < filter.end;
  }

  // Links are passed over; a path that does not fit is skipped, and so is a
  // folder whose "\\*.*" would not fit; a refused folder is tested as a file.
  void Walk(const std::string& dir, const ScanFilter& filter, Platform& clock, std::vector<Row>& rows) const {
    auto children = children_.find(Key(dir));
    if (children == children_.end()) return;
    for (std::size_t index : children->second) {
      const Node& node = nodes_[index];
      if (node.kind == kLink || node.path.size() >= kMaxPath) continue;
      if (node.kind != kFile && node.path.size() + 4 >= kMaxPath) continue;
      if (node.kind == kFolder) {
        Walk(node.path, filter, clock, rows);
      } else if (Passes(node, filter)) {
        std::size_t dot = node.name.rfind('.');
        std::optional<LocalFields> local = clock.LocalFieldsOf(Seconds(node));
        rows.push_back({node.path, node.name, dot == std::string::npos ? "" : node.name.substr(dot + 1),
                        local ? FormatAccessText(*local) : ""});
      }
    }
  }

  std::vector<Node> nodes_;
  std::map<std::string, std::size_t> byKey_;
  std::map<std::string, std::vector<std::size_t>> children_;
};

std::string Name(fuzz::FuzzInput& input) {
  // Long pieces bring paths to the length limit in a few levels.
  static const char* const kPieces[] = {"a",   "b", ".", "jpg", "x", "1", "[1]", "\xCD\xBC", "JPG", " ",
                                        "0123456789abcdef0123456789abcdef", "0123456"};
  std::string name;
  for (int n = 1 + input.Byte() % 4; n > 0; --n) name += kPieces[input.Byte() % std::size(kPieces)];
  return name == "." || name == ".." ? "dot" : name;
}

std::uint64_t FileTime(fuzz::FuzzInput& input) {
  std::uint64_t t = 0;
  for (int i = 0; i < 8; ++i) t = (t << 8) | input.Byte();
  // Mostly times around 2008, sometimes anything at all.
  return input.Byte() % 4 ? 128'600'000'000'000'000ULL + t % 100'000'000'000'000ULL : t;
}

}  // namespace
}  // namespace morlind

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("TZ", "Europe/Berlin", 1);  // daylight saving in both directions
  tzset();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace morlind;
  fuzz::FuzzInput input(data, size);
  PosixPlatform clock;
  FakePlatform fake(clock);
  fake.AddFolder(kRoot);
  fake.AddFile("C:\\outside\\secret.jpg", 128'600'000'000'000'000ULL);
  std::vector<std::string> folders{kRoot};
  std::vector<std::string> links;
  Model model;

  ScanFilter filter{std::string(input.Text(4)), static_cast<AccessMode>(input.Byte() % 2), 0, 0};
  // Windows that start in 2008 to 2088; most access times lie in 2008 to 2325.
  filter.start = 1'200'000'000 + input.Byte() * Moment{10'000'000};
  filter.end = filter.start + input.Byte() * Moment{20'000'000};
  if (input.Byte() % 3 == 0) filter.extension = "*";

  for (int ops = 0; ops < 64 && !input.Empty(); ++ops) {
    const std::string parent = folders[input.Byte() % folders.size()];
    std::string path = parent + "\\" + Name(input);
    // A path made twice is skipped, so the model and the fake agree on kinds.
    switch (input.Byte() % 5) {
      case 0:
        if (model.Add(parent, path, Model::kFolder, 0)) {
          fake.AddFolder(path);
          folders.push_back(path);
        }
        break;
      case 1:
        if (model.Add(parent, path, Model::kRefused, 0)) {
          fake.RefuseListing(path);
          folders.push_back(path);
        }
        break;
      case 2: {
        const std::string targets[] = {"C:\\outside", "C:\\root", parent};
        const std::string& target = targets[input.Byte() % 3];
        if (model.Add(parent, path, Model::kLink, 0)) {
          fake.AddLink(path, target);
          links.push_back(path);
        }
        break;
      }
      default: {
        std::uint64_t time = FileTime(input);
        if (model.Add(parent, path, Model::kFile, time)) fake.AddFile(path, time);
        break;
      }
    }
  }

  ResultTable table;
  CacheScan(fake, filter, table).ScanFolder(kRoot);
  std::vector<Row> modelRows = model.Rows(kRoot, filter, clock);
  Check(static_cast<std::size_t>(table.RowCount()) == modelRows.size());
  Check(table.Paths().Size() >= modelRows.size());
  for (int row = 0; row < table.RowCount(); ++row) {
    Row got{table.PathOf(row), table.GetItemText(row, Column::kName),
            table.GetItemText(row, Column::kType), table.GetItemText(row, Column::kAccessTime)};
    Check(got == modelRows[static_cast<std::size_t>(row)]);
    Check(table.Paths().At(static_cast<std::size_t>(row)) == got.path);
    // Under the root, named as its row says, and a file: it exists and
    // cannot be listed as a folder.
    Check(got.path.rfind(kRoot + "\\", 0) == 0);
    Check(got.path.size() > got.name.size() &&
          got.path.compare(got.path.size() - got.name.size() - 1, std::string::npos, "\\" + got.name) == 0);
    Check(fake.Exists(got.path) && !fake.OpenListing(got.path + "\\*.*"));
    Check(NameMatches(got.name, filter.extension));
    for (const std::string& link : links) Check(got.path.rfind(link + "\\", 0) != 0);
  }
  return 0;
}
