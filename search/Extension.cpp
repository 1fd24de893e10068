#include "search/Extension.h"

namespace morlind {

namespace {

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualFoldingAscii(std::string_view a, std::string_view b) {
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

}  // namespace

std::string CutExtension(std::string_view text) {
  std::size_t end = 0;
  while (end < text.size()) {
    bool pair = IsLeadByte936(static_cast<unsigned char>(text[end])) && end + 1 < text.size();
    std::size_t next = end + (pair ? 2 : 1);
    if (next > kMaxExtensionBytes) break;
    end = next;
  }
  return std::string(text.substr(0, end));
}

std::string SettleExtension(std::string_view previous,
                            const std::optional<std::string>& listSelection,
                            std::string_view editText) {
  std::string extension(previous);
  if (listSelection) extension = CutExtension(*listSelection);
  if (!editText.empty()) extension = CutExtension(editText);
  return extension;
}

bool NameMatches(std::string_view name, std::string_view extension) {
  if (extension == "*") return true;
  if (name.size() < extension.size()) return false;
  return EqualFoldingAscii(name.substr(name.size() - extension.size()), extension);
}

}  // namespace morlind
