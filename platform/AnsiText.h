// Bytes of ANSI text in code page 936, the program's text: ASCII letters
// fold to lower case, the two bytes of a double-byte character stay apart
// from folding.
#pragma once

#include <string>
#include <string_view>

namespace morlind {

// The first byte of a double-byte character.
inline bool IsLeadByte936(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

inline char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Each byte folded on its own, as the C library's _stricmp compares; a and
// b have the same length.
inline bool EqualFoldingBytes(std::string_view a, std::string_view b) {
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

// ASCII letters folded outside double-byte characters, whose second byte
// may look like a letter.
inline std::string FoldedAnsi(std::string_view text) {
  std::string folded(text);
  for (std::size_t i = 0; i < folded.size(); ++i) {
    if (IsLeadByte936(static_cast<unsigned char>(folded[i]))) {
      ++i;
    } else {
      folded[i] = FoldAscii(folded[i]);
    }
  }
  return folded;
}

}  // namespace morlind
