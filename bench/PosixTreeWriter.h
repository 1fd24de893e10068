// Writes a generated tree to disk on the POSIX side (also into a Wine
// prefix's drive_c, which is faster than creating it through Wine).
#pragma once

#include <string>

#include "bench/TreeGenerator.h"

namespace morlind::bench {

// Creates every folder and file below root (a native path), with the
// generated access times and sizes. Returns the number of files written.
int WriteTree(const std::string& root, const GeneratedTree& tree);

}  // namespace morlind::bench
