// The scan over a random fake tree with links, refused folders and odd
// times, against a plain reference walk that probes every entry.
#include <cstdlib>
#include <ctime>
#include <vector>

#include "platform/FakePlatform.h"
#include "platform/PosixPlatform.h"
#include "search/AccessTime.h"
#include "search/CacheScan.h"
#include "search/Extension.h"
#include "tests/fuzz/FuzzInput.h"

namespace morlind {
namespace {

const std::string kRoot = "C:\\root";

void Check(bool condition) {
  if (!condition) std::abort();
}

struct Row {
  std::string path, name, type, time;
  bool operator==(const Row&) const = default;
};

// The walk as first written: every entry is probed as a folder first.
class ReferenceWalk {
 public:
  ReferenceWalk(Platform& platform, const ScanFilter& filter) : platform_(platform), filter_(filter) {}
  std::vector<Row> rows;

  int Walk(const std::string& dir) {
    if (dir.size() + 4 >= kMaxPath) return 1;
    auto listing = platform_.OpenListing(dir + "\\*.*");
    if (!listing) return 1;
    do {
      const DirEntry& e = listing->Current();
      std::string name(e.name);
      std::string path = dir + "\\" + name;
      if (e.IsDotOrDotDot() || e.IsReparsePoint() || path.size() >= kMaxPath) continue;
      if (e.IsDirectory() && path.size() + 4 >= kMaxPath) continue;
      if (Walk(path) == 0 || !NameMatches(name, filter_.extension)) continue;
      std::int64_t seconds = UnixSecondsOfFileTime(e.lastAccess);
      std::optional<Moment> moment = MomentOf(seconds);
      if (filter_.accessMode != kNoLimit &&
          !(moment && filter_.start < *moment && *moment < filter_.end)) {
        continue;
      }
      std::optional<LocalFields> local = platform_.LocalFieldsOf(seconds);
      std::size_t dot = name.rfind('.');
      rows.push_back({path, name, dot == std::string::npos ? "" : name.substr(dot + 1),
                      local ? FormatAccessText(*local) : ""});
    } while (listing->Next());
    return 0;
  }

 private:
  Platform& platform_;
  const ScanFilter& filter_;
};

std::string Name(fuzz::FuzzInput& input) {
  static const char* const kPieces[] = {"a", "b", ".", "jpg", "x", "1", "[1]", "\xCD\xBC", "JPG", " "};
  std::string name;
  for (int n = 1 + input.Byte() % 4; n > 0; --n) name += kPieces[input.Byte() % 10];
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

  ScanFilter filter{std::string(input.Text(4)), input.Byte() % 2, 0, 0};
  filter.start = static_cast<Moment>(1'200'000'000 + input.Byte() * 1'000'000);
  filter.end = static_cast<Moment>(filter.start + input.Byte() * 2'000'000);
  if (input.Byte() % 3 == 0) filter.extension = "*";

  for (int ops = 0; ops < 64 && !input.Empty(); ++ops) {
    const std::string& parent = folders[input.Byte() % folders.size()];
    std::string path = parent + "\\" + Name(input);
    switch (input.Byte() % 5) {
      case 0: fake.AddFolder(path); folders.push_back(path); break;
      case 1: fake.RefuseListing(path); folders.push_back(path); break;
      case 2: {
        const char* targets[] = {"C:\\outside", "C:\\root", parent.c_str()};
        fake.AddLink(path, targets[input.Byte() % 3]);
        links.push_back(path);
        break;
      }
      default: fake.AddFile(path, FileTime(input)); break;
    }
  }

  ResultTable table;
  CacheScan(fake, filter, table).ScanFolder(kRoot);
  ReferenceWalk reference(fake, filter);
  reference.Walk(kRoot);

  Check(static_cast<std::size_t>(table.RowCount()) == reference.rows.size());
  Check(table.Paths().Size() >= reference.rows.size());
  for (int row = 0; row < table.RowCount(); ++row) {
    Row got{table.PathOf(row), table.GetItemText(row, Column::kName),
            table.GetItemText(row, Column::kType), table.GetItemText(row, Column::kAccessTime)};
    Check(got == reference.rows[static_cast<std::size_t>(row)]);
    Check(got.path.rfind(kRoot + "\\", 0) == 0);
    Check(NameMatches(got.name, filter.extension));
    for (const std::string& link : links) Check(got.path.rfind(link + "\\", 0) != 0);
  }
  return 0;
}
