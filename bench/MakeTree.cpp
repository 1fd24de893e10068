// Writes the benchmark tree: make_tree ROOT [FILES [FOLDERS]].
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "bench/PosixTreeWriter.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: make_tree ROOT [FILES [FOLDERS]]\n");
    return 2;
  }
  morlind::bench::TreeSpec spec;
  if (argc > 2) spec.files = std::atoi(argv[2]);
  if (argc > 3) spec.folders = std::atoi(argv[3]);
  std::filesystem::remove_all(argv[1]);
  int written = morlind::bench::WriteTree(argv[1], morlind::bench::GenerateTree(spec));
  std::printf("make_tree: %d files in %d folders under %s\n", written, spec.folders, argv[1]);
  return 0;
}
