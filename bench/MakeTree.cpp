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
  morlind::bench::TreeShape shape;
  if (argc > 2) shape.files = std::atoi(argv[2]);
  if (argc > 3) shape.folders = std::atoi(argv[3]);
  std::filesystem::remove_all(argv[1]);
  int written = morlind::bench::WriteTree(argv[1], morlind::bench::GenerateTree(shape));
  std::printf("make_tree: %d files in %d folders under %s\n", written, shape.folders, argv[1]);
  return 0;
}
