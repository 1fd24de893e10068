#include "bench/PosixTreeWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "platform/PosixPlatform.h"

namespace morlind::bench {

int WriteTree(const std::string& root, const GeneratedTree& tree) {
  std::filesystem::create_directories(root);
  for (const std::string& folder : tree.folders) {
    std::filesystem::create_directories(root + "/" + PosixPlatform::ToNativePath(folder));
  }
  int written = 0;
  for (const GeneratedFile& file : tree.files) {
    std::string path = root + "/" + PosixPlatform::ToNativePath(file.relativePath);
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) throw std::runtime_error("cannot create " + path);
    static constexpr char kContent[] = "cached";
    bool ok = write(fd, kContent, sizeof kContent - 1) == sizeof kContent - 1;
    // The rest stays a hole: the size is what is listed, not what is stored.
    ok = ftruncate(fd, static_cast<off_t>(std::max<std::uint64_t>(file.size, sizeof kContent - 1))) == 0 && ok;
    timespec times[2] = {{static_cast<time_t>(file.lastAccess), 0}, {0, UTIME_OMIT}};
    ok = futimens(fd, times) == 0 && ok;
    close(fd);
    if (!ok) throw std::runtime_error("cannot write " + path);
    ++written;
  }
  return written;
}

}  // namespace morlind::bench
