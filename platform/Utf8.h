// Text inside the program is UTF-8; the system's is UTF-16. A Windows name
// may hold a lone surrogate, which strict UTF-8 cannot carry: it is kept as
// the three bytes its code unit would take (the WTF-8 form), so every name
// the file system holds comes back to the system exactly as it was.
#pragma once

#include <string>
#include <string_view>

namespace morlind {

std::u16string Utf16OfUtf8(std::string_view utf8);
std::string Utf8OfUtf16(std::u16string_view utf16);

// ASCII letters to lower case; every other byte, UTF-8 sequences included,
// stays as it is.
inline char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

inline std::string FoldedAscii(std::string_view text) {
  std::string folded(text);
  for (char& c : folded) c = FoldAscii(c);
  return folded;
}

// a and b have the same length.
inline bool EqualFoldingAscii(std::string_view a, std::string_view b) {
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

// The length of the UTF-8 sequence a lead byte starts (1 for a stray
// continuation byte, so a walk always moves on).
inline std::size_t Utf8SequenceLength(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

}  // namespace morlind
