// Before the bench times its generated browser caches, it makes sure they
// are caches as the browsers write them: the fields of their headers and
// the hashes the generator computes agree with the caches the real
// browsers wrote (tests/data/caches), and the readers list every generated
// entry back exactly.
#pragma once

#include <string>
#include <vector>

namespace morlind::bench {

// What disagrees, one line each; empty when the generator can be trusted.
// realCaches holds the real browsers' chromium-blockfile and firefox
// folders; scratch is a folder the check may fill and remove.
std::vector<std::string> GeneratorFaults(const std::string& realCaches, const std::string& scratch);

}  // namespace morlind::bench
